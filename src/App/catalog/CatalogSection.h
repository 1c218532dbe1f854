#pragma once

#include "CatalogDiskCopy.h"
#include "CatalogSectionModel.h"
#include "DecodeCatalog.h"
#include "NorvaneError.h"
#include "RecordListModel.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <vector>

// The typed half of a catalog section (movies or series): the list on screen, the per-category
// cache of the visit, and the whole catalog behind "Recién agregadas", read from its disk copy
// or downloaded with a byte counter, and refreshed in the background when the copy is old.
//
// Traits names the record type and where it comes from:
//   Record, contentType, categoriesAction, listAction, fileName, and recency(record) for
//   "Recién agregadas".
template <typename Traits> class CatalogSection : public CatalogSectionModel
{
public:
    using Record = typename Traits::Record;
    using Records = QList<Record>;

    static constexpr qsizetype recentCount = 60;

    // The list on screen.
    const Records &list() const { return m_listModel->records(); }
    // The same list for a lazy grid.
    QAbstractItemModel *cards() const override { return m_listModel; }
    qsizetype listSize() const override { return m_listModel->records().size(); }
    // The whole catalog once read or downloaded during this visit.
    const std::optional<Records> &all() const { return m_all; }

    // The newest records first (largest recency; equal ones keep their catalog order), at most 60.
    static Records topRecent(const Records &records)
    {
        const qsizetype count = std::min(recentCount, records.size());
        std::vector<std::pair<qint64, qsizetype>> order; // (recency, position)
        order.reserve(size_t(records.size()));
        for (qsizetype i = 0; i < records.size(); ++i)
            order.emplace_back(Traits::recency(records.at(i)), i);
        // Position breaks ties, so the partial sort gives the same order as a stable sort would.
        std::partial_sort(order.begin(), order.begin() + count, order.end(),
                          [](const auto &a, const auto &b) {
                              return a.first != b.first ? a.first > b.first : a.second < b.second;
                          });
        Records top;
        top.reserve(count);
        for (qsizetype i = 0; i < count; ++i)
            top.append(records.at(order[size_t(i)].second));
        return top;
    }

protected:
    CatalogSection(ProgressStore *progress, QObject *parent)
        : CatalogSectionModel(progress, parent), m_listModel(new RecordListModel<Record>(this)),
          m_diskCopy(QString(Traits::fileName))
    {
    }

    void setList(const Records &records)
    {
        if (m_listModel->records() == records)
            return;
        m_listModel->setRecords(records);
        Q_EMIT listChanged();
    }

    QString categoriesAction() const override { return QString(Traits::categoriesAction); }
    ContentType contentType() const override { return Traits::contentType; }

    QString artworkOf(const QVariant &record) const override
    {
        return record.canConvert<Record>() ? Traits::artwork(record.value<Record>()) : QString();
    }

    void clearList() override { setList({}); }

    bool showCached(const QString &categoryId) override
    {
        const auto cached = m_cache.constFind(categoryId);
        if (cached == m_cache.cend())
            return false;
        setList(*cached);
        return true;
    }

    QCoro::Task<> fetchCategory(QString categoryId) override
    {
        setIsLoadingList(true);
        setListError(QString());
        clearList();
        if (m_fetching.contains(categoryId))
            co_return; // the request already running shows its answer
        m_fetching.insert(categoryId);
        const QPointer<CatalogSectionModel> self(this);
        XtreamClient::QueryItems query;
        query.insert(QStringLiteral("category_id"), categoryId);
        const Result<Records> fetched =
            co_await client().template fetch<Records>(QString(Traits::listAction), query);
        if (!self)
            co_return;
        m_fetching.remove(categoryId);
        if (fetched)
            m_cache.insert(categoryId, *fetched);
        if (!isSelected(categoryId))
            co_return; // kept for later, but the user is looking at another list now
        if (fetched)
            setList(*fetched);
        else
            setListError(NorvaneError::message(fetched.failure()));
        setIsLoadingList(false);
    }

    QCoro::Task<> loadRecent() override
    {
        if (m_all) {
            setList(topRecent(*m_all));
            showSettledList();
            co_return;
        }
        if (m_recentLoad != RecentLoad::Idle) {
            // The read or download already running shows the list when it is done.
            clearList();
            setListError(QString());
            setIsLoadingList(m_recentLoad == RecentLoad::Downloading);
            co_return;
        }
        const QPointer<CatalogSectionModel> self(this);
        m_recentLoad = RecentLoad::ReadingDisk;
        std::optional<Records> stored;
        if (std::optional<QByteArray> body = co_await m_diskCopy.read(); self && body)
            stored = co_await decodeCatalog<Records>(std::move(*body));
        if (!self)
            co_return;
        if (stored) {
            m_recentLoad = RecentLoad::Idle;
            setAll(std::move(*stored));
            if (m_diskCopy.isOld(refreshAgeSeconds()))
                refreshAll(true); // not awaited: the stored list is already on screen
            co_return;
        }
        // No usable copy: the whole catalog comes in the foreground, with the byte counter.
        m_recentLoad = RecentLoad::Downloading;
        if (isSelected(SectionRow::recentId)) {
            setIsLoadingList(true);
            setListError(QString());
            clearList();
        }
        co_await refreshAll(false);
        if (!self)
            co_return;
        m_recentLoad = RecentLoad::Idle;
        if (isSelected(SectionRow::recentId))
            setIsLoadingList(false);
    }

private:
    enum class RecentLoad { Idle, ReadingDisk, Downloading };

    // Downloads the whole catalog; a body that decodes replaces the catalog and its disk copy.
    // In the foreground the byte counter runs and a failure is shown while no catalog is loaded;
    // in the background every failure is silent.
    QCoro::Task<> refreshAll(bool background)
    {
        const QPointer<CatalogSectionModel> self(this);
        const CatalogDiskCopy diskCopy = m_diskCopy;
        const qint64 expected = diskCopy.expectedSize();
        startDownloadCounter(expected);
        const QString action(Traits::listAction);
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
        std::optional<Records> decoded = co_await decodeCatalog<Records>(body);
        if (!decoded) {
            if (self && !background)
                showCatalogFailure(NorvaneError::message(DecodingError{QStringLiteral("whole catalog")}));
            co_return;
        }
        if (self)
            setAll(std::move(*decoded));
        // Kept even when the section has closed meanwhile: the next visit starts from it.
        co_await diskCopy.write(body); // a failed write only costs a download next time
        diskCopy.rememberSize(body.size());
    }

    // A foreground download that failed, shown only while there is nothing else to show.
    void showCatalogFailure(const QString &text)
    {
        if (!m_all && isSelected(SectionRow::recentId))
            setListError(text);
    }

    void setAll(Records records)
    {
        m_all = std::move(records);
        if (isSelected(SectionRow::recentId)) {
            setList(topRecent(*m_all));
            showSettledList();
        }
    }

    RecordListModel<Record> *m_listModel;
    CatalogDiskCopy m_diskCopy;
    QHash<QString, Records> m_cache;
    QSet<QString> m_fetching;
    std::optional<Records> m_all;
    RecentLoad m_recentLoad = RecentLoad::Idle;
};
