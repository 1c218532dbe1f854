#pragma once

#include "catalog/EpisodeListModel.h"
#include "catalog/ProviderDetailModel.h"
#include "playback/PlayableItem.h"
#include "provider/SeriesInfoResponse.h"
#include "provider/SeriesStream.h"
#include "storage/ProgressEntry.h"

#include <QPointer>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <optional>

class FavoritesStore;
class ProgressStore;

// What the detail screen of one series shows and plays: its seasons and episodes from the
// provider, the selected season, the favourite flag, and the queue that a chosen episode starts.
class SeriesDetailModel : public ProviderDetailModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SeriesStream series READ series WRITE setSeries NOTIFY seriesChanged FINAL)
    Q_PROPERTY(bool hasResponse READ hasResponse NOTIFY responseChanged FINAL)
    Q_PROPERTY(SeriesInfoResponse response READ responseOrEmpty NOTIFY responseChanged FINAL)
    // The season numbers in the answer's order.
    Q_PROPERTY(QList<qint64> seasonNumbers READ seasonNumbers NOTIFY responseChanged FINAL)
    // The selected season number, undefined when there is none.
    Q_PROPERTY(QVariant selectedSeason READ selectedSeasonValue WRITE setSelectedSeasonValue NOTIFY
                   selectedSeasonChanged FINAL)
    // The episodes of the selected season as rows, with their watch marks.
    Q_PROPERTY(QAbstractItemModel *episodeRows READ episodeRows CONSTANT FINAL)
    Q_PROPERTY(QString cover READ cover NOTIFY responseChanged FINAL)
    Q_PROPERTY(bool isFav READ isFav NOTIFY isFavChanged FINAL)
public:
    explicit SeriesDetailModel(QObject *parent = nullptr);
    SeriesDetailModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent = nullptr);

    static QString progressKey(const QString &seriesId, const QString &episodeId)
    {
        return QStringLiteral("series:") + seriesId + QStringLiteral(":ep:") + episodeId;
    }
    // The chosen episode and every one after it to the end of the last season, or nothing when
    // the episode is not in the answer.
    static QList<Episode> episodesFrom(const SeriesInfoResponse &response, const Episode &chosen);
    static PlayableItem episodeItem(const XtreamClient &client, const SeriesStream &series,
                                    const SeriesInfoResponse &response, const Episode &episode,
                                    const std::optional<ProgressEntry> &entry);

    SeriesStream series() const { return m_series; }
    void setSeries(const SeriesStream &series);
    bool hasResponse() const { return m_response.has_value(); }
    SeriesInfoResponse responseOrEmpty() const { return m_response.value_or(SeriesInfoResponse()); }
    QList<qint64> seasonNumbers() const;
    QVariant selectedSeasonValue() const;
    void setSelectedSeasonValue(const QVariant &season);
    const QList<Episode> &episodes() const { return m_episodeRows->episodes(); }
    EpisodeListModel *episodeRows() const { return m_episodeRows; }
    QString cover() const;
    bool isFav() const { return m_isFav; }

    // Reads the favourite flag, then loads the series.
    Q_INVOKABLE void open();
    Q_INVOKABLE void load();
    Q_INVOKABLE void toggleFavorite();
    // The queue from this episode on; empty when the episode is not in the answer.
    QList<PlayableItem> queueFrom(const Episode &episode) const;
    // The same from a row of episodeRows.
    Q_INVOKABLE QList<PlayableItem> queueAt(int row) const;

Q_SIGNALS:
    void seriesChanged();
    void responseChanged();
    void selectedSeasonChanged();
    void isFavChanged();

private:
    void setFav(bool fav);
    void showSeason();

    QPointer<ProgressStore> m_progress;
    QPointer<FavoritesStore> m_favorites;
    SeriesStream m_series;
    std::optional<SeriesInfoResponse> m_response;
    std::optional<qint64> m_selectedSeason;
    bool m_isFav = false;
    EpisodeListModel *m_episodeRows;
};
