#include "catalog/SeriesDetailModel.h"

#include "storage/FavoritesStore.h"
#include "storage/ProgressStore.h"

SeriesDetailModel::SeriesDetailModel(QObject *parent)
    : SeriesDetailModel(ProgressStore::shared(), FavoritesStore::shared(), parent)
{
}

SeriesDetailModel::SeriesDetailModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent)
    : ProviderDetailModel(parent), m_progress(progress), m_favorites(favorites),
      m_episodeRows(new EpisodeListModel(progress, this))
{
    connect(this, &SeriesDetailModel::selectedSeasonChanged, this, &SeriesDetailModel::showSeason);
    connect(this, &SeriesDetailModel::responseChanged, this, &SeriesDetailModel::showSeason);
}

QList<Episode> SeriesDetailModel::episodesFrom(const SeriesInfoResponse &response, const Episode &chosen)
{
    QList<Episode> all;
    for (const Season &season : response.seasons())
        all << season.episodes();
    const qsizetype at = all.indexOf(chosen);
    if (at < 0)
        return {};
    return all.mid(at);
}

PlayableItem SeriesDetailModel::episodeItem(const XtreamClient &client, const SeriesStream &series,
                                            const SeriesInfoResponse &response, const Episode &episode,
                                            const std::optional<ProgressEntry> &entry)
{
    const QString subtitle =
        QStringLiteral("T%1 · E%2 · ").arg(episode.season()).arg(episode.episodeNum()) + episode.title();
    std::optional<QString> image;
    if (!episode.image().isEmpty())
        image = episode.image();
    else if (!response.cover().isEmpty())
        image = response.cover();
    else if (!series.cover().isEmpty())
        image = series.cover();
    QString url;
    qint64 startMs = 0;
    if (entry) {
        url = entry->url();
        startMs = entry->resumePositionMs();
    } else {
        const QString extension =
            episode.containerExtension().isEmpty() ? QStringLiteral("mp4") : episode.containerExtension();
        url = client.streamUrl(ContentType::Series, episode.id(), extension);
    }
    return PlayableItem(series.name(), subtitle, url, progressKey(series.seriesId(), episode.id()),
                        ContentType::Series, series.seriesId(), image, startMs);
}

void SeriesDetailModel::setSeries(const SeriesStream &series)
{
    if (series == m_series)
        return;
    m_series = series;
    Q_EMIT seriesChanged();
}

QList<qint64> SeriesDetailModel::seasonNumbers() const
{
    QList<qint64> numbers;
    if (m_response)
        for (const Season &season : m_response->seasons())
            numbers << season.season();
    return numbers;
}

QVariant SeriesDetailModel::selectedSeasonValue() const
{
    return m_selectedSeason ? QVariant::fromValue(*m_selectedSeason) : QVariant();
}

void SeriesDetailModel::setSelectedSeasonValue(const QVariant &season)
{
    const std::optional<qint64> next =
        season.isValid() && !season.isNull() ? std::optional<qint64>(season.toLongLong()) : std::nullopt;
    if (next == m_selectedSeason)
        return;
    m_selectedSeason = next;
    Q_EMIT selectedSeasonChanged();
}

void SeriesDetailModel::showSeason()
{
    QList<Episode> episodes;
    if (m_response && m_selectedSeason) {
        for (const Season &season : m_response->seasons()) {
            if (season.season() == *m_selectedSeason) {
                episodes = season.episodes();
                break;
            }
        }
    }
    m_episodeRows->setEpisodes(m_series.seriesId(), episodes, cover());
}

QString SeriesDetailModel::cover() const
{
    if (m_response && !m_response->cover().isEmpty())
        return m_response->cover();
    return m_series.cover();
}

void SeriesDetailModel::open()
{
    setFav(m_favorites && m_favorites->isFavorite(ContentType::Series, m_series.seriesId()));
    load();
}

void SeriesDetailModel::load()
{
    const XtreamClient client = this->client();
    const QString seriesId = m_series.seriesId();
    fetch([client, seriesId] { return client.seriesInfo(seriesId); },
          [this](SeriesInfoResponse answer) {
              const QList<Season> seasons = answer.seasons();
              m_response = std::move(answer);
              Q_EMIT responseChanged();
              setSelectedSeasonValue(seasons.isEmpty() ? QVariant()
                                                       : QVariant::fromValue(seasons.first().season()));
              Q_EMIT selectedSeasonChanged();
          });
}

void SeriesDetailModel::toggleFavorite()
{
    if (!m_favorites)
        return;
    setFav(m_favorites->toggle(
        FavoritesStore::makeFavorite(ContentType::Series, m_series.seriesId(), m_series.name(), cover())));
}

QList<PlayableItem> SeriesDetailModel::queueFrom(const Episode &episode) const
{
    QList<PlayableItem> queue;
    if (!m_response)
        return queue;
    for (const Episode &next : episodesFrom(*m_response, episode)) {
        const std::optional<ProgressEntry> entry =
            m_progress ? m_progress->find(progressKey(m_series.seriesId(), next.id())) : std::nullopt;
        queue << episodeItem(client(), m_series, *m_response, next, entry);
    }
    return queue;
}

QList<PlayableItem> SeriesDetailModel::queueAt(int row) const
{
    return row >= 0 && row < episodes().size() ? queueFrom(episodes().at(row)) : QList<PlayableItem>();
}

void SeriesDetailModel::setFav(bool fav)
{
    if (fav == m_isFav)
        return;
    m_isFav = fav;
    Q_EMIT isFavChanged();
}
