#include "catalog/EpisodeListModel.h"

#include "catalog/SeriesDetailModel.h"
#include "storage/ProgressStore.h"

EpisodeListModel::EpisodeListModel(ProgressStore *store, QObject *parent)
    : QAbstractListModel(parent), m_store(store)
{
    if (m_store)
        connect(m_store, &ProgressStore::entryChanged, this, &EpisodeListModel::entryChanged);
}

double EpisodeListModel::barFraction(const std::optional<ProgressEntry> &entry)
{
    if (!entry || entry->durationMs() < 1 || entry->positionMs() <= 0 || entry->isWatched())
        return -1;
    return entry->watchedFraction();
}

bool EpisodeListModel::isWatched(const std::optional<ProgressEntry> &entry)
{
    return entry && entry->isWatched();
}

void EpisodeListModel::setEpisodes(const QString &seriesId, const QList<Episode> &episodes,
                                   const QString &cover)
{
    if (seriesId == m_seriesId && episodes == m_episodes && cover == m_cover)
        return;
    beginResetModel();
    m_seriesId = seriesId;
    m_episodes = episodes;
    m_cover = cover;
    m_rowOfKey.clear();
    for (qsizetype i = 0; i < m_episodes.size(); ++i)
        m_rowOfKey.insert(SeriesDetailModel::progressKey(seriesId, m_episodes.at(i).id()), int(i));
    endResetModel();
}

int EpisodeListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_episodes.size());
}

QVariant EpisodeListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Episode &episode = m_episodes.at(index.row());
    switch (role) {
    case EpisodeIdRole:
        return episode.id();
    case Qt::DisplayRole:
    case HeadingRole:
        return QStringLiteral("E%1 · ").arg(episode.episodeNum()) + episode.title();
    case DurationTextRole:
        return episode.durationText();
    case PlotRole:
        return episode.plot();
    case PictureRole:
        return episode.image().isEmpty() ? m_cover : episode.image();
    case BarFractionRole:
        return barFraction(entryAt(index.row()));
    case WatchedRole:
        return isWatched(entryAt(index.row()));
    default:
        return {};
    }
}

QHash<int, QByteArray> EpisodeListModel::roleNames() const
{
    static const QHash<int, QByteArray> roles{
        {EpisodeIdRole, "episodeId"}, {HeadingRole, "heading"}, {DurationTextRole, "durationText"},
        {PlotRole, "plot"},           {PictureRole, "picture"}, {BarFractionRole, "barFraction"},
        {WatchedRole, "watched"},
    };
    return roles;
}

std::optional<ProgressEntry> EpisodeListModel::entryAt(int row) const
{
    if (!m_store)
        return std::nullopt;
    return m_store->find(SeriesDetailModel::progressKey(m_seriesId, m_episodes.at(row).id()));
}

void EpisodeListModel::entryChanged(const QString &key)
{
    const auto row = m_rowOfKey.constFind(key);
    if (row == m_rowOfKey.cend())
        return;
    const QModelIndex at = index(*row);
    Q_EMIT dataChanged(at, at, {BarFractionRole, WatchedRole});
}
