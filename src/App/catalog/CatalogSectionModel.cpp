#include "CatalogSectionModel.h"

#include "NorvaneError.h"
#include "ProgressStore.h"

#include <QCoreApplication>
#include <algorithm>

CatalogSectionModel::CatalogSectionModel(const CatalogSource &source, ProgressStore *progress,
                                         QObject *parent)
    : CategorizedSectionModel(parent), m_source(source), m_diskCopy(QString(source.fileName)),
      m_progress(progress)
{
    if (m_progress)
        connect(m_progress, &ProgressStore::entriesChanged, this, &CatalogSectionModel::progressChanged);
}

void CatalogSectionModel::attach(CatalogRecords &records)
{
    m_records = &records;
    // The records reset their list model with every new list.
    connect(records.cards(), &QAbstractItemModel::modelReset, this, &CatalogSectionModel::listChanged);
}

QList<ProgressEntry> CatalogSectionModel::continueEntries() const
{
    return m_progress ? m_progress->inProgress(contentTypeName(m_source.contentType))
                      : QList<ProgressEntry>();
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
        m_records->clearList();
        showSettledList();
    } else if (showSectionSpecial(categoryId)) {
        showSettledList();
    } else if (categoryId == SectionRow::recentId) {
        co_await loadRecent();
    } else if (m_records->showCached(categoryId)) {
        showSettledList();
    } else {
        co_await fetchCategory(categoryId);
    }
}

QCoro::Task<> CatalogSectionModel::fetchCategory(QString categoryId)
{
    setIsLoadingList(true);
    setListError(QString());
    m_records->clearList();
    if (m_fetching.contains(categoryId))
        co_return; // the request already running shows its answer
    m_fetching.insert(categoryId);
    const QPointer<CatalogSectionModel> self(this);
    const XtreamClient client = this->client();
    const std::optional<QString> failure = co_await m_records->fetchCategory(client, categoryId);
    if (!self)
        co_return;
    m_fetching.remove(categoryId);
    if (!isSelected(categoryId))
        co_return; // kept for later, but the user is looking at another list now
    if (failure)
        setListError(*failure);
    else
        m_records->showCached(categoryId);
    setIsLoadingList(false);
}

QCoro::Task<> CatalogSectionModel::loadRecent()
{
    if (m_records->hasWholeCatalog()) {
        m_records->showRecent();
        showSettledList();
        co_return;
    }
    if (m_recentLoad != RecentLoad::Idle) {
        // The read or download already running shows the list when it is done.
        m_records->clearList();
        setListError(QString());
        setIsLoadingList(m_recentLoad == RecentLoad::Downloading);
        co_return;
    }
    const QPointer<CatalogSectionModel> self(this);
    m_recentLoad = RecentLoad::ReadingDisk;
    bool stored = false;
    if (std::optional<QByteArray> body = co_await m_diskCopy.read(); self && body)
        stored = co_await m_records->keepWholeCatalog(std::move(*body));
    if (!self)
        co_return;
    if (stored) {
        m_recentLoad = RecentLoad::Idle;
        wholeCatalogKept();
        if (m_diskCopy.isOld(refreshAgeSeconds()))
            refreshAll(true); // not awaited: the stored list is already on screen
        co_return;
    }
    // No usable copy: the whole catalog comes in the foreground, with the byte counter.
    m_recentLoad = RecentLoad::Downloading;
    if (isSelected(SectionRow::recentId)) {
        setIsLoadingList(true);
        setListError(QString());
        m_records->clearList();
    }
    co_await refreshAll(false);
    if (!self)
        co_return;
    m_recentLoad = RecentLoad::Idle;
    if (isSelected(SectionRow::recentId))
        setIsLoadingList(false);
}

// In the foreground the byte counter runs and a failure is shown while no catalog is loaded; in
// the background every failure is silent.
QCoro::Task<> CatalogSectionModel::refreshAll(bool background)
{
    const QPointer<CatalogSectionModel> self(this);
    const CatalogDiskCopy diskCopy = m_diskCopy;
    const qint64 expected = diskCopy.expectedSize();
    startDownloadCounter(expected);
    const QString action(m_source.listAction);
    Result<QByteArray> downloaded;
    if (background)
        downloaded = co_await client().rawData(action, {});
    else
        downloaded = co_await client().rawData(action, {}, downloadProgressRelay(expected));
    if (!self)
        co_return;
    if (!downloaded) {
        if (!background)
            showCatalogFailure(NorvaneError::message(downloaded.failure()));
        co_return;
    }
    const QByteArray body = std::move(downloaded).value();
    const bool decoded = co_await m_records->keepWholeCatalog(body);
    if (!decoded) {
        if (self && !background)
            showCatalogFailure(NorvaneError::message(DecodingError{QStringLiteral("whole catalog")}));
        co_return;
    }
    if (self)
        wholeCatalogKept();
    // Kept even when the section has closed meanwhile: the next visit starts from it.
    co_await diskCopy.write(body); // a failed write only costs a download next time
    diskCopy.rememberSize(body.size());
}

void CatalogSectionModel::wholeCatalogKept()
{
    if (isSelected(SectionRow::recentId)) {
        m_records->showRecent();
        showSettledList();
    }
}

void CatalogSectionModel::showCatalogFailure(const QString &text)
{
    if (!m_records->hasWholeCatalog() && isSelected(SectionRow::recentId))
        setListError(text);
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
