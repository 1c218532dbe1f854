#pragma once

#include "catalog/MovieCatalog.h"
#include "catalog/SeriesCatalog.h"
#include "live/ChannelListModel.h"
#include "live/ChannelRow.h"
#include "provider/LiveStream.h"
#include "provider/SeriesStream.h"
#include "provider/VodStream.h"
#include "search/FoldedNameIndex.h"
#include "sections/ProviderClientModel.h"
#include "sections/RecordListModel.h"

#include <QCoroTask>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <array>
#include <optional>

// The search section: the whole list of one kind (channels, movies or series) fetched once per
// visit, filtered locally by name on every read of the results. A name matches when it contains
// the trimmed query (at least two user-perceived characters) regardless of case and accents;
// results keep the provider's order and stop at 80. Each kind keeps its own loading state and error;
// isLoading and loadError show those of the selected kind.
class SearchModel : public ProviderClientModel
{
    Q_OBJECT
    QML_ELEMENT
public:
    // In the order of the kind selector.
    enum Kind { Live, Movies, Series };
    Q_ENUM(Kind)

private:
    Q_PROPERTY(Kind kind READ kind WRITE setKind NOTIFY kindChanged FINAL)
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged FINAL)
    // The selected kind's failed fetch; null while there is none.
    Q_PROPERTY(QString loadError READ loadError NOTIFY loadErrorChanged FINAL)
    // The selected kind's results as rows for a lazy view (the same list models as the sections':
    // channel rows, or poster cards), following every change of the query, the kind or a list.
    Q_PROPERTY(QAbstractItemModel *rows READ rows NOTIFY kindChanged FINAL)
    // The selector's labels, in the order of Kind: "Canales", "Películas", "Series".
    Q_PROPERTY(QStringList kindLabels READ kindLabels CONSTANT FINAL)

public:
    static constexpr int resultLimit = 80;
    static constexpr int minimumQueryLength = 2;

    explicit SearchModel(QObject *parent = nullptr);

    // The kind's label in the selector.
    Q_INVOKABLE static QString label(Kind kind);
    static QStringList kindLabels();
    // The provider action that answers the kind's whole list.
    static QString action(Kind kind);
    // The query as it is matched: trimmed and folded; absent when shorter than two characters.
    static std::optional<QString> matchableQuery(const QString &query);

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    QString query() const { return m_query; }
    void setQuery(const QString &query);
    // Fewer than two user-perceived characters once trimmed: the screen asks for more instead of
    // showing "no results".
    bool isQueryTooShort() const { return !matchableQuery(m_query); }
    const std::optional<QList<LiveStream>> &channels() const { return m_channels.records; }
    const std::optional<QList<VodStream>> &movies() const { return m_movies.records; }
    const std::optional<QList<SeriesStream>> &series() const { return m_series.records; }
    QString loadError() const { return m_loadError; }

    // The selected query's matches of each kind, computed afresh on every read; resultsChanged
    // announces every change of the query, the kind or the selected kind's list.
    QList<ChannelRow> channelResults() const;
    QList<VodStream> movieResults() const;
    QList<SeriesStream> seriesResults() const;
    QAbstractItemModel *rows() const;
    // The record of a row of `rows` (a ChannelRow, VodStream or SeriesStream); invalid outside.
    QVariant resultAt(int row) const;

    // Fetches the selected kind's list unless it is already here or on its way.
    Q_INVOKABLE void ensureLoaded();
    // The same, for callers that wait for the end of it.
    QCoro::Task<> ensureLoadedTask();

Q_SIGNALS:
    void kindChanged();
    void queryChanged();
    void loadErrorChanged();
    void resultsChanged();

private:
    // A fetched list with its folded names, made once per fetch.
    template <typename Record> struct Catalog
    {
        std::optional<QList<Record>> records;
        FoldedNameIndex names;
    };

    // One kind's fetch: whether it is running, and the text of its last failure.
    struct Fetch
    {
        bool loading = false;
        QString error;
    };

    template <typename Record> QCoro::Task<bool> fetchInto(Catalog<Record> SearchModel::*catalog, Kind kind);
    template <typename Record> QList<Record> matches(const Catalog<Record> &catalog) const;

    void setLoadError(const QString &error);
    // Shows the selected kind's loading state and error.
    void showSelectedFetch();
    void announceList(Kind kind);
    // Puts the selected kind's results into its rows.
    void showResults();

    Kind m_kind = Live;
    QString m_query;
    Catalog<LiveStream> m_channels;
    Catalog<VodStream> m_movies;
    Catalog<SeriesStream> m_series;
    std::array<Fetch, 3> m_fetches;
    QString m_loadError;
    ChannelListModel *m_channelRows;
    RecordListModel<MovieCatalog> *m_movieRows;
    RecordListModel<SeriesCatalog> *m_seriesRows;
};
