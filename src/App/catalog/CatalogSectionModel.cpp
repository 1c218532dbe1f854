#include "catalog/CatalogSectionModel.h"

#include "client/NorvaneError.h"
#include "storage/ProgressStore.h"

#include <QCoreApplication>
#include <algorithm>

CatalogSectionModel::CatalogSectionModel(const CatalogSource &source, ProgressStore *progress,
                                         QObject *parent)
    : CategorizedSectionModel(parent), m_source(source), m_diskCopy(QString(source.fileName)),
      m_progress(progress), m_continueRows(new ContinueListModel(progress, source.contentType, this))
{
    if (m_progress) {
        m_hasContinueRow = m_progress->hasUnfinished(m_source.contentType);
        connect(m_progress, &ProgressStore::entryChanged, this, &CatalogSectionModel::progressChanged);
    }
    connect(this, &CategorizedSectionModel::selectedCategoryIdChanged, this,
            [this] { m_continueRows->setActive(isSelectedCategory(SectionRow::continueId)); });
}

void CatalogSectionModel::attach(CatalogRecords &records)
{
    m_records = &records;
    watchRows(records.rows());
}

QList<SectionRow> CatalogSectionModel::specialRows() const
{
    QList<SectionRow> rows{SectionRow::recent()};
    if (offersFavorites())
        rows.append(SectionRow::favorites());
    if (m_hasContinueRow)
        rows.append(SectionRow::continueWatching());
    return rows;
}

QVariant CatalogSectionModel::continueRecordAt(int row) const
{
    const QList<ProgressEntry> &entries = m_continueRows->entries();
    return row >= 0 && row < entries.size() ? m_records->recordOf(entries.at(row)) : QVariant();
}

void CatalogSectionModel::toggleFavoriteAt(int) {}

void CatalogSectionModel::removeContinueAt(int row)
{
    const QList<ProgressEntry> &entries = m_continueRows->entries();
    if (m_progress && row >= 0 && row < entries.size())
        m_progress->removeEntry(entries.at(row).key());
}

void CatalogSectionModel::progressChanged(const QString &)
{
    // The "Continuar viendo" row is there while the section has unfinished entries.
    const bool hasRow = m_progress && m_progress->hasUnfinished(m_source.contentType);
    if (hasRow == m_hasContinueRow)
        return;
    m_hasContinueRow = hasRow;
    Q_EMIT categoryRowsChanged();
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
    if (!hasSelection())
        co_await runSelectCategory(SectionRow::recentId);
}

QCoro::Task<> CatalogSectionModel::runSelectCategory(QString categoryId)
{
    setSelectedCategoryId(categoryId);
    if (categoryId == SectionRow::continueId) {
        // The continue-watching cards show instead.
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
    const ListRequest request = startListRequest();
    const QPointer<CatalogSectionModel> self(this);
    const XtreamClient client = this->client();
    const std::optional<QString> failure = co_await m_records->fetchCategory(client, categoryId);
    // A late answer is kept in the cache for later, but shows nothing now.
    if (!self || !isLatest(request))
        co_return;
    if (!failure)
        m_records->showCached(categoryId);
    finishListRequest(request, failure.value_or(QString()));
}

QCoro::Task<> CatalogSectionModel::loadRecent()
{
    if (m_records->hasWholeCatalog()) {
        m_records->showRecent();
        showSettledList();
        co_return;
    }
    if (m_recentLoad) {
        // The read or download already running shows the list when it is done.
        resumeListRequest(*m_recentLoad);
        co_return;
    }
    const QPointer<CatalogSectionModel> self(this);
    // The loading state (a spinner) already while the disk copy is read.
    const ListRequest request = startListRequest();
    m_recentLoad = request;
    bool stored = false;
    if (std::optional<QByteArray> body = co_await m_diskCopy.read(); self && body)
        stored = co_await m_records->keepWholeCatalog(std::move(*body));
    if (!self)
        co_return;
    if (stored) {
        m_recentLoad.reset();
        wholeCatalogKept();
        if (m_diskCopy.isOld(defaultRefreshAgeSeconds))
            refreshAll(true); // not awaited: the stored list is already on screen
        co_return;
    }
    // No usable copy: the whole catalog comes in the foreground, with the byte counter.
    setIsDownloadingCatalog(true);
    const std::optional<QString> failure = co_await refreshAll(false);
    if (!self)
        co_return;
    m_recentLoad.reset();
    setIsDownloadingCatalog(false);
    // Shown only while there is nothing else to show.
    if (!m_records->hasWholeCatalog())
        finishListRequest(request, failure.value_or(QString()));
}

// In the foreground the byte counter runs and a failure is told to the caller; in the background
// every failure is silent. A download that ends after the section closed is still decoded and
// kept on disk, so the next visit starts from it.
QCoro::Task<std::optional<QString>> CatalogSectionModel::refreshAll(bool background)
{
    const QPointer<CatalogSectionModel> self(this);
    const CatalogDiskCopy diskCopy = m_diskCopy;
    const CatalogRecords::BodyCheck decodes = m_records->bodyCheck();
    const qint64 expected = diskCopy.expectedSize();
    startDownloadCounter(expected);
    const QString action(m_source.listAction);
    const XtreamClient client = this->client();
    Result<QByteArray> downloaded;
    if (background)
        downloaded = co_await client.rawData(action, {});
    else
        downloaded = co_await client.rawData(action, {}, downloadProgressRelay(expected));
    if (!downloaded)
        co_return NorvaneError::message(downloaded.failure());
    QByteArray body = std::move(downloaded).value();
    const qint64 size = body.size();
    bool decoded = false;
    if (self)
        decoded = co_await m_records->keepWholeCatalog(body);
    else
        decoded = co_await decodes(body); // the section closed meanwhile: only checked
    if (!decoded)
        co_return NorvaneError::message(DecodingError{QStringLiteral("whole catalog")});
    if (self)
        wholeCatalogKept();
    // The body goes with the write, so that its tens of megabytes are freed beside the main thread.
    co_await diskCopy.write(std::move(body)); // a failed write only costs a download next time
    diskCopy.rememberSize(size);
    co_return std::nullopt;
}

void CatalogSectionModel::wholeCatalogKept()
{
    if (isSelectedCategory(SectionRow::recentId)) {
        m_records->showRecent();
        showSettledList();
    }
}

void CatalogSectionModel::setIsDownloadingCatalog(bool downloading)
{
    if (m_isDownloadingCatalog == downloading)
        return;
    m_isDownloadingCatalog = downloading;
    Q_EMIT isDownloadingCatalogChanged();
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
