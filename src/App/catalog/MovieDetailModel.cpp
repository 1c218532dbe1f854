#include "catalog/MovieDetailModel.h"

#include "storage/ProgressStore.h"

MovieDetailModel::MovieDetailModel(QObject *parent) : MovieDetailModel(ProgressStore::shared(), parent) {}

MovieDetailModel::MovieDetailModel(ProgressStore *progress, QObject *parent)
    : ProviderDetailModel(parent), m_progress(progress)
{
    if (m_progress)
        connect(m_progress, &ProgressStore::entryChanged, this, [this](const QString &key) {
            if (key == progressKey(m_movie.streamId()))
                Q_EMIT progressChanged();
        });
}

QString MovieDetailModel::metadataLine(const VodInfo &info)
{
    QStringList parts;
    if (info.releasedate().size() >= 4)
        parts << info.releasedate().left(4);
    if (!info.duration().isEmpty())
        parts << info.duration();
    if (!info.genre().isEmpty())
        parts << info.genre();
    if (!info.rating().isEmpty() && info.rating() != QLatin1String("0"))
        parts << QStringLiteral("⭐ ") + info.rating();
    return parts.join(QStringLiteral(" · "));
}

QString MovieDetailModel::containerExtension(const VodInfoResponse &response, const VodStream &movie)
{
    if (response.movieData() && !response.movieData()->containerExtension().isEmpty())
        return response.movieData()->containerExtension();
    if (!movie.containerExtension().isEmpty())
        return movie.containerExtension();
    return QStringLiteral("mp4");
}

QString MovieDetailModel::friendlyTime(qint64 ms)
{
    const qint64 minutes = (ms / 1000 % 3600) / 60;
    if (ms < 3'600'000)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(ms / 3'600'000).arg(minutes);
}

QString MovieDetailModel::resumeLabel(const std::optional<ProgressEntry> &entry)
{
    if (!entry || entry->isWatched())
        return QStringLiteral("Reproducir");
    return QStringLiteral("Continuar · ") + friendlyTime(entry->positionMs());
}

PlayableItem MovieDetailModel::playableItem(const VodStream &movie, const std::optional<VodInfo> &info,
                                            const QString &playURL, const std::optional<ProgressEntry> &entry,
                                            bool fromStart)
{
    const bool resume = !fromStart && entry.has_value();
    std::optional<QString> image;
    if (info && !info->movieImage().isEmpty())
        image = info->movieImage();
    else if (!movie.streamIcon().isEmpty())
        image = movie.streamIcon();
    return PlayableItem(movie.name(), std::nullopt, resume ? entry->url() : playURL,
                        progressKey(movie.streamId()), ContentType::Movie, movie.streamId(), image,
                        resume ? entry->resumePositionMs() : 0);
}

void MovieDetailModel::setMovie(const VodStream &movie)
{
    if (movie == m_movie)
        return;
    m_movie = movie;
    // Another movie's details and address must not show or play while this one's load.
    abandonLoad();
    m_info.reset();
    m_playURL.clear();
    Q_EMIT movieChanged();
    Q_EMIT infoChanged();
    Q_EMIT playURLChanged();
    Q_EMIT progressChanged();
}

QList<DetailBlock> MovieDetailModel::detailBlocks() const
{
    QList<DetailBlock> blocks;
    if (!m_info)
        return blocks;
    const auto add = [&blocks](const QString &heading, const QString &text) {
        if (!text.isEmpty())
            blocks.append(DetailBlock(heading, text));
    };
    add(QStringLiteral("Sinopsis"), m_info->plot());
    add(QStringLiteral("Dirección"), m_info->director());
    add(QStringLiteral("Reparto"), m_info->cast());
    return blocks;
}

QString MovieDetailModel::posterUrl() const
{
    if (m_info && !m_info->movieImage().isEmpty())
        return m_info->movieImage();
    return m_movie.streamIcon();
}

void MovieDetailModel::load()
{
    const XtreamClient client = this->client();
    const VodStream movie = m_movie;
    fetch([client, movie] { return client.vodInfo(movie.streamId()); },
          [this, client, movie](VodInfoResponse answer) {
              m_info = answer.info();
              m_playURL =
                  client.streamUrl(ContentType::Movie, movie.streamId(), containerExtension(answer, movie));
              Q_EMIT infoChanged();
              Q_EMIT playURLChanged();
          });
}

PlayableItem MovieDetailModel::playableItem(bool fromStart) const
{
    return playableItem(m_movie, m_info, m_playURL, entry(), fromStart);
}

std::optional<ProgressEntry> MovieDetailModel::entry() const
{
    if (!m_progress)
        return std::nullopt;
    return m_progress->find(progressKey(m_movie.streamId()));
}
