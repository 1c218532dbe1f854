#include "CatalogSectionModel.h"

#include "NorvaneError.h"
#include "ProgressStore.h"

#include <QCoreApplication>
#include <algorithm>

CatalogSectionModel::CatalogSectionModel(ProgressStore *progress, QObject *parent)
    : QObject(parent), m_progress(progress)
{
}

void CatalogSectionModel::setClient(const XtreamClient &client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

QVariant CatalogSectionModel::downloadFractionValue() const
{
    return m_downloadFraction ? QVariant(*m_downloadFraction) : QVariant();
}

QStringList CatalogSectionModel::unlockedCategories() const
{
    QStringList ids = m_lock.unlockedCategoryList();
    ids.sort(); // a set: sorted so that equal sets read the same
    return ids;
}

void CatalogSectionModel::loadCategories()
{
    runLoadCategories();
}

void CatalogSectionModel::selectCategory(const QString &categoryId)
{
    runSelectCategory(categoryId);
}

void CatalogSectionModel::unlock(const QString &categoryId)
{
    if (m_lock.unlock(categoryId))
        Q_EMIT unlockedCategoriesChanged();
}

bool CatalogSectionModel::isLocked(const Category &category) const
{
    return m_lock.isLocked(category.categoryId(), category.categoryName());
}

bool CatalogSectionModel::showSectionSpecial(const QString &)
{
    return false;
}

QCoro::Task<> CatalogSectionModel::runLoadCategories()
{
    const QPointer<CatalogSectionModel> self(this);
    setIsLoadingCategories(true);
    setCategoriesError(QString());
    const Result<QList<Category>> fetched = co_await m_client.fetch<QList<Category>>(categoriesAction());
    if (!self)
        co_return;
    if (fetched) {
        setCategories(*fetched);
        if (!m_selectedCategoryId) {
            // The first load ends only when "Recién agregadas" is on screen (or has failed).
            co_await runSelectCategory(recentId);
            if (!self)
                co_return;
        }
    } else {
        setCategoriesError(NorvaneError::message(fetched.failure()));
    }
    setIsLoadingCategories(false);
}

QCoro::Task<> CatalogSectionModel::runSelectCategory(QString categoryId)
{
    setSelectedCategoryId(categoryId);
    if (categoryId == continueId) {
        // The screen lists the progress store's entries instead.
        clearList();
        showSettledList();
    } else if (showSectionSpecial(categoryId)) {
        showSettledList();
    } else if (categoryId == recentId) {
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

void CatalogSectionModel::setCategories(const QList<Category> &categories)
{
    if (m_categories == categories)
        return;
    m_categories = categories;
    Q_EMIT categoriesChanged();
}

void CatalogSectionModel::setIsLoadingCategories(bool loading)
{
    if (m_isLoadingCategories == loading)
        return;
    m_isLoadingCategories = loading;
    Q_EMIT isLoadingCategoriesChanged();
}

void CatalogSectionModel::setCategoriesError(const QString &text)
{
    if (m_categoriesError == text)
        return;
    m_categoriesError = text;
    Q_EMIT categoriesErrorChanged();
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
