#include "live/ChannelListModel.h"

#include "provider/ContentType.h"
#include "storage/FavoritesStore.h"

ChannelListModel::ChannelListModel(const QHash<QString, QString> *nowTitles, QObject *parent)
    : QAbstractListModel(parent), m_nowTitles(nowTitles)
{
}

int ChannelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ChannelListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ChannelRow &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return row.name();
    case StreamIdRole:
        return row.streamId();
    case NumRole:
        return row.numText();
    case IconURLRole:
        return row.iconURLText();
    case NowTitleRole:
        return m_nowTitles ? m_nowTitles->value(row.streamId()) : QString();
    case IsFavoriteRole:
        return m_favorites && m_favorites->isFavorite(ContentType::Live, row.streamId());
    case ChannelRole:
        return QVariant::fromValue(row);
    default:
        return {};
    }
}

QHash<int, QByteArray> ChannelListModel::roleNames() const
{
    static const QHash<int, QByteArray> roles{
        {StreamIdRole, "streamId"}, {NumRole, "num"},           {NameRole, "name"},
        {IconURLRole, "iconURL"},   {NowTitleRole, "nowTitle"}, {IsFavoriteRole, "isFavorite"},
        {ChannelRole, "channel"},
    };
    return roles;
}

void ChannelListModel::setRows(const QList<ChannelRow> &rows)
{
    if (rows == m_rows)
        return;
    const int before = count();
    beginResetModel();
    m_rows = rows;
    endResetModel();
    if (count() != before)
        Q_EMIT countChanged();
}

void ChannelListModel::nowTitleChanged(const QString &streamId)
{
    rowsOfChannelChanged(streamId, NowTitleRole);
}

void ChannelListModel::followFavorites(FavoritesStore *store)
{
    if (m_favorites)
        disconnect(m_favorites, nullptr, this, nullptr);
    m_favorites = store;
    if (store)
        connect(store, &FavoritesStore::favoriteChanged, this, [this](ContentType type, const QString &id) {
            if (type == ContentType::Live)
                rowsOfChannelChanged(id, IsFavoriteRole);
        });
}

void ChannelListModel::rowsOfChannelChanged(const QString &streamId, int role)
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).streamId() == streamId) {
            const QModelIndex at = index(i);
            Q_EMIT dataChanged(at, at, {role});
        }
    }
}
