#pragma once

#include "catalog/CatalogRecords.h"
#include "client/NorvaneError.h"
#include "provider/DecodeCatalog.h"
#include "sections/RecordListModel.h"

#include <QCoroFuture>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <utility>
#include <vector>

// The records of one catalog section (movies or series): the list on screen, the per-category
// cache of the visit and the whole catalog behind "Recién agregadas".
//
// Traits names the record type and where it comes from: Record, source (a CatalogSource),
// recency(record) for "Recién agregadas", id(record), artwork(record) for the record's card and
// fromEntry(entry) for a continue-watching card.
template <typename Traits> class TypedCatalogRecords final : public CatalogRecords
{
public:
    using Record = typename Traits::Record;
    using Records = QList<Record>;

    // The list model is a child of the section model, which hands it to QML.
    explicit TypedCatalogRecords(QObject *section) : m_listModel(new RecordListModel<Traits>(section)) {}
    ~TypedCatalogRecords() override { releaseAside(std::move(m_all)); }

    // The list on screen.
    const Records &list() const { return m_listModel->records(); }
    void setList(const Records &records) { m_listModel->setRecords(records); }
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

    QAbstractItemModel *rows() const override { return m_listModel; }

    QVariant recordAt(int row) const override
    {
        return row >= 0 && row < list().size() ? QVariant::fromValue(list().at(row)) : QVariant();
    }

    QVariant recordOf(const ProgressEntry &entry) const override
    {
        return QVariant::fromValue(Traits::fromEntry(entry));
    }

    void followFavorites(FavoritesStore *store) override { m_listModel->followFavorites(store); }

    void clearList() override { setList({}); }

    bool showCached(const QString &categoryId) override
    {
        const auto cached = m_cache.constFind(categoryId);
        if (cached == m_cache.cend())
            return false;
        setList(*cached);
        return true;
    }

    QCoro::Task<std::optional<QString>> fetchCategory(XtreamClient client, QString categoryId) override
    {
        // The list model goes with the section: after that, nothing of this object is touched.
        const QPointer<QObject> alive(m_listModel);
        XtreamClient::QueryItems query;
        query.insert(QStringLiteral("category_id"), categoryId);
        const Result<Records> fetched =
            co_await client.fetch<Records>(QString(Traits::source.listAction), query);
        if (!fetched)
            co_return NorvaneError::message(fetched.failure());
        if (alive)
            m_cache.insert(categoryId, *fetched);
        co_return std::nullopt;
    }

    bool hasWholeCatalog() const override { return m_all.has_value(); }

    void showRecent() override { setList(m_recent); }

    QCoro::Task<bool> keepWholeCatalog(QByteArray body) override
    {
        const QPointer<QObject> alive(m_listModel);
        // Decoded, and its newest picked, beside the main thread.
        // Named, not a temporary inside the co_await: GCC 12 destroys such temporaries twice.
        QFuture<std::optional<std::pair<Records, Records>>> work = QtConcurrent::run(
            [bytes = std::move(body)]() mutable -> std::optional<std::pair<Records, Records>> {
                std::optional<Records> decoded = ProviderJson::decode<Records>(std::move(bytes)).toOptional();
                if (!decoded)
                    return std::nullopt;
                Records recent = topRecent(*decoded);
                return std::make_pair(std::move(*decoded), std::move(recent));
            });
        std::optional<std::pair<Records, Records>> kept = co_await work;
        if (!kept)
            co_return false;
        if (alive) {
            releaseAside(std::exchange(m_all, std::move(kept->first)));
            m_recent = std::move(kept->second);
        }
        co_return true;
    }

    BodyCheck bodyCheck() const override { return &decodes; }

private:
    // A whole catalog of hundreds of thousands of records takes longer than a frame to free: the
    // last reference goes on a worker thread.
    static void releaseAside(std::optional<Records> records)
    {
        if (records && records->isDetached())
            (void)QtConcurrent::run([gone = std::move(*records)] {});
    }

    // Decoded and dropped on a worker: only whether it decodes comes back to the main thread.
    static QCoro::Task<bool> decodes(QByteArray body)
    {
        QFuture<bool> checking = QtConcurrent::run([bytes = std::move(body)]() mutable {
            return ProviderJson::decode<Records>(std::move(bytes)).toOptional().has_value();
        });
        co_return co_await checking;
    }

    RecordListModel<Traits> *m_listModel;
    QHash<QString, Records> m_cache;
    std::optional<Records> m_all;
    Records m_recent;
};
