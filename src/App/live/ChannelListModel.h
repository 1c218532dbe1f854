#pragma once

#include "live/ChannelRow.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class FavoritesStore;

// The channels of the live section as rows for a lazily created list view (thousands of rows).
// Besides the channel's fields each row carries the title of the programme on air, read from
// the section model's now-playing cache, and its favourite mark, read from the favourites store:
// a row updates alone when its title arrives or its mark changes (never the rows the list holds).
class ChannelListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Given by ChannelsModel and SearchModel")
    Q_PROPERTY(int count READ count NOTIFY countChanged FINAL)
public:
    enum Role {
        StreamIdRole = Qt::UserRole + 1,
        NumRole,
        NameRole,
        IconURLRole,
        NowTitleRole,
        IsFavoriteRole,
        ChannelRole
    };
    Q_ENUM(Role)

    // `nowTitles` belongs to the owner and outlives this model; none for rows without titles on air.
    explicit ChannelListModel(const QHash<QString, QString> *nowTitles, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_rows.size()); }
    const QList<ChannelRow> &rows() const { return m_rows; }
    void setRows(const QList<ChannelRow> &rows);
    // The rows of this channel show a new title of the programme on air.
    void nowTitleChanged(const QString &streamId);
    // The rows show whether their channel is a favourite and follow the store's changes.
    void followFavorites(FavoritesStore *store);

Q_SIGNALS:
    void countChanged();

private:
    void rowsOfChannelChanged(const QString &streamId, int role);

    const QHash<QString, QString> *m_nowTitles;
    QPointer<FavoritesStore> m_favorites;
    QList<ChannelRow> m_rows;
};
