#include "search/SearchModel.h"

#include "client/NorvaneError.h"
#include "provider/DecodeCatalog.h"
#include "search/TextFolding.h"

#include <QCoroFuture>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

SearchModel::SearchModel(QObject *parent)
    : ProviderClientModel(parent), m_channelRows(new ChannelListModel(nullptr, this)),
      m_movieRows(new RecordListModel<MovieCatalog>(this)),
      m_seriesRows(new RecordListModel<SeriesCatalog>(this))
{
    connect(this, &SearchModel::resultsChanged, this, &SearchModel::showResults);
}

QString SearchModel::label(Kind kind)
{
    switch (kind) {
    case Live:
        return QStringLiteral("Canales");
    case Movies:
        return QStringLiteral("Películas");
    case Series:
        return QStringLiteral("Series");
    }
    return {};
}

QStringList SearchModel::kindLabels()
{
    return {label(Live), label(Movies), label(Series)};
}

QString SearchModel::action(Kind kind)
{
    switch (kind) {
    case Live:
        return QStringLiteral("get_live_streams");
    case Movies:
        return QStringLiteral("get_vod_streams");
    case Series:
        return QStringLiteral("get_series");
    }
    return {};
}

std::optional<QString> SearchModel::matchableQuery(const QString &query)
{
    const QString trimmed = query.trimmed();
    if (TextFolding::graphemeCount(trimmed, minimumQueryLength) < minimumQueryLength)
        return std::nullopt;
    return TextFolding::fold(trimmed);
}

// ---- results ----

template <typename Record> QList<Record> SearchModel::matches(const Catalog<Record> &catalog) const
{
    if (!catalog.records)
        return {};
    const std::optional<QString> needle = matchableQuery(m_query);
    if (!needle)
        return {};
    const QList<qsizetype> positions = catalog.names.find(*needle, resultLimit);
    QList<Record> found;
    found.reserve(positions.size());
    for (const qsizetype position : positions)
        found.append(catalog.records->at(position));
    return found;
}

QList<ChannelRow> SearchModel::channelResults() const
{
    const QList<LiveStream> streams = matches(m_channels);
    QList<ChannelRow> rows;
    rows.reserve(streams.size());
    for (const LiveStream &stream : streams)
        rows.append(ChannelRow::fromStream(stream));
    return rows;
}

QList<VodStream> SearchModel::movieResults() const
{
    return matches(m_movies);
}

QList<SeriesStream> SearchModel::seriesResults() const
{
    return matches(m_series);
}

QAbstractItemModel *SearchModel::rows() const
{
    switch (m_kind) {
    case Live:
        return m_channelRows;
    case Movies:
        return m_movieRows;
    case Series:
        return m_seriesRows;
    }
    return nullptr;
}

QVariant SearchModel::resultAt(int row) const
{
    const QModelIndex at = rows()->index(row, 0);
    switch (m_kind) {
    case Live:
        return at.data(ChannelListModel::ChannelRole);
    case Movies:
        return at.data(RecordListModel<MovieCatalog>::RecordRole);
    case Series:
        return at.data(RecordListModel<SeriesCatalog>::RecordRole);
    }
    return {};
}

void SearchModel::showResults()
{
    switch (m_kind) {
    case Live:
        m_channelRows->setRows(channelResults());
        break;
    case Movies:
        m_movieRows->setRecords(movieResults());
        break;
    case Series:
        m_seriesRows->setRecords(seriesResults());
        break;
    }
}

// ---- loading ----

void SearchModel::ensureLoaded()
{
    ensureLoadedTask();
}

QCoro::Task<> SearchModel::ensureLoadedTask()
{
    QPointer<SearchModel> self(this);
    const Kind kind = m_kind;
    const bool present = kind == Live     ? m_channels.records.has_value()
                         : kind == Movies ? m_movies.records.has_value()
                                          : m_series.records.has_value();
    if (present || m_fetches[kind].loading)
        co_return; // the fetch on its way shows its answer
    m_fetches[kind] = Fetch{.loading = true, .error = {}};
    showSelectedFetch();
    switch (kind) {
    case Live:
        co_await fetchInto(&SearchModel::m_channels, kind);
        break;
    case Movies:
        co_await fetchInto(&SearchModel::m_movies, kind);
        break;
    case Series:
        co_await fetchInto(&SearchModel::m_series, kind);
        break;
    }
    if (!self)
        co_return;
    m_fetches[kind].loading = false;
    showSelectedFetch();
}

template <typename Record>
QCoro::Task<bool> SearchModel::fetchInto(Catalog<Record> SearchModel::*catalog, Kind kind)
{
    QPointer<SearchModel> self(this);
    // A whole catalog: the body decodes on a worker thread, never on the main one.
    const XtreamClient client = this->client();
    Result<QByteArray> body = co_await client.rawData(action(kind), {});
    if (!self)
        co_return false;
    Result<QList<Record>> answer;
    if (body)
        answer = co_await decodeOffThread<QList<Record>>(std::move(body).value());
    else
        answer = body.failure();
    if (!self)
        co_return false;
    if (!answer) {
        m_fetches[kind].error = NorvaneError::message(answer.failure());
        co_return false;
    }
    const QList<Record> records = std::move(answer).value();
    // Folding a whole catalog's names takes longer than a frame: it runs beside the main thread
    // on a shared (read-only) copy of the list.
    // Named, not a temporary inside the co_await: GCC 12 destroys such temporaries twice.
    QFuture<FoldedNameIndex> folding = QtConcurrent::run(&FoldedNameIndex::ofNames<Record>, records);
    FoldedNameIndex names = co_await folding;
    if (!self)
        co_return false;
    (this->*catalog).records = records;
    (this->*catalog).names = std::move(names);
    announceList(kind);
    co_return true;
}

void SearchModel::announceList(Kind kind)
{
    if (kind == m_kind)
        Q_EMIT resultsChanged();
}

// ---- properties ----

void SearchModel::setKind(Kind kind)
{
    if (m_kind == kind)
        return;
    m_kind = kind;
    showResults(); // before anyone reads the new kind's rows
    Q_EMIT kindChanged();
    Q_EMIT resultsChanged();
    showSelectedFetch();
}

void SearchModel::showSelectedFetch()
{
    setLoading(m_fetches[m_kind].loading);
    setLoadError(m_fetches[m_kind].error);
}

void SearchModel::setQuery(const QString &query)
{
    if (m_query == query)
        return;
    m_query = query;
    Q_EMIT queryChanged();
    Q_EMIT resultsChanged();
}

void SearchModel::setLoadError(const QString &error)
{
    if (m_loadError.isNull() == error.isNull() && m_loadError == error)
        return;
    m_loadError = error;
    Q_EMIT loadErrorChanged();
}
