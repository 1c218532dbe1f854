#include "CatalogSectionModel.h"

#include "ProgressStore.h"

#include <QCoreApplication>
#include <algorithm>

CatalogSectionModel::CatalogSectionModel(ProgressStore *progress, QObject *parent)
    : CategorizedSectionModel(parent), m_progress(progress)
{
    if (m_progress)
        connect(m_progress, &ProgressStore::entriesChanged, this, &CatalogSectionModel::progressChanged);
}

QList<ProgressEntry> CatalogSectionModel::continueEntries() const
{
    return m_progress ? m_progress->inProgress(contentTypeName(contentType())) : QList<ProgressEntry>();
}

QList<SectionRow> CatalogSectionModel::specialRows() const
{
    QList<SectionRow> rows{SectionRow::recent()};
    if (offersFavorites())
        rows.append(SectionRow::favorites());
    m_hasContinueEntries = !continueEntries().isEmpty();
    if (m_hasContinueEntries)
        rows.append(SectionRow::continueWatching());
    return rows;
}

bool CatalogSectionModel::isFavoriteRecord(const QVariant &) const
{
    return false;
}

void CatalogSectionModel::toggleFavoriteRecord(const QVariant &) {}

void CatalogSectionModel::progressChanged()
{
    Q_EMIT continueEntriesChanged();
    // The "Continuar viendo" row is there while the section has unfinished entries.
    const bool hasEntries = !continueEntries().isEmpty();
    if (hasEntries == m_hasContinueEntries)
        return;
    m_hasContinueEntries = hasEntries;
    Q_EMIT categoryRowsChanged();
}

QVariant CatalogSectionModel::downloadFractionValue() const
{
    return m_downloadFraction ? QVariant(*m_downloadFraction) : QVariant();
}

void CatalogSectionModel::selectCategory(const QString &categoryId)
{
    runSelectCategory(categoryId);
}

bool CatalogSectionModel::showSectionSpecial(const QString &)
{
    return false;
}

QCoro::Task<> CatalogSectionModel::categoriesLoaded()
{
    // The first load ends only when "Recién agregadas" is on screen (or has failed).
    if (!m_selectedCategoryId)
        co_await runSelectCategory(SectionRow::recentId);
}

QCoro::Task<> CatalogSectionModel::runSelectCategory(QString categoryId)
{
    setSelectedCategoryId(categoryId);
    if (categoryId == SectionRow::continueId) {
        // The screen lists the progress store's entries instead.
        clearList();
        showSettledList();
    } else if (showSectionSpecial(categoryId)) {
        showSettledList();
    } else if (categoryId == SectionRow::recentId) {
        co_await loadRecent();
    } else if (showCached(categoryId)) {
        showSettledList();
    } else {
        co_await fetchCategory(categoryId);
    }
}

void CatalogSectionModel::showSettledList()
{
    setIsLoadingList(false);
    setListError(QString());
}

void CatalogSectionModel::setSelectedCategoryId(const QString &categoryId)
{
    if (m_selectedCategoryId == categoryId)
        return;
    m_selectedCategoryId = categoryId;
    Q_EMIT selectedCategoryIdChanged();
}

void CatalogSectionModel::setIsLoadingList(bool loading)
{
    if (m_isLoadingList == loading)
        return;
    m_isLoadingList = loading;
    Q_EMIT isLoadingListChanged();
}

void CatalogSectionModel::setListError(const QString &text)
{
    if (m_listError == text)
        return;
    m_listError = text;
    Q_EMIT listErrorChanged();
}

void CatalogSectionModel::startDownloadCounter(qint64 expectedBytes)
{
    ++m_download;
    setDownloadedBytes(0);
    setDownloadFraction(expectedBytes >= 1 ? std::optional<double>(0.0) : std::nullopt);
}

std::function<void(qint64)> CatalogSectionModel::downloadProgressRelay(qint64 expectedBytes)
{
    const QPointer<CatalogSectionModel> model(this);
    const quint64 download = m_download;
    return [model, download, expectedBytes](qint64 receivedBytes) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [model, download, expectedBytes, receivedBytes] {
                if (model)
                    model->showDownloaded(download, receivedBytes, expectedBytes);
            },
            Qt::QueuedConnection);
    };
}

void CatalogSectionModel::showDownloaded(quint64 download, qint64 receivedBytes, qint64 expectedBytes)
{
    if (download != m_download)
        return;
    // The fraction first: whoever reacts to the byte count reads a fraction that matches it.
    if (expectedBytes >= 1)
        setDownloadFraction(std::min(double(receivedBytes) / double(expectedBytes), maxDownloadFraction));
    setDownloadedBytes(receivedBytes);
}

void CatalogSectionModel::setDownloadedBytes(qint64 bytes)
{
    if (m_downloadedBytes == bytes)
        return;
    m_downloadedBytes = bytes;
    Q_EMIT downloadedBytesChanged();
}

void CatalogSectionModel::setDownloadFraction(std::optional<double> fraction)
{
    if (m_downloadFraction == fraction)
        return;
    m_downloadFraction = fraction;
    Q_EMIT downloadFractionChanged();
}
