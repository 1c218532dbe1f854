#pragma once

#include "provider/ContentType.h"
#include "storage/FavoritesStore.h"

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QPointer>

// A list of provider records for a lazy grid of cards: one row per record with what its card
// shows (title, artwork, favourite mark), plus the role "record" holding the whole value for C++.
// Only the rows on screen are ever read, so a category of 100,000 records costs nothing beyond
// the list itself. The favourite marks follow the favourites store one row at a time: a change
// alters how a row looks, never which rows the list holds.
//
// Traits names the record type and reads it: Record, source (a CatalogSource), id(record) (the
// id the favourites store knows it by) and artwork(record).
template <typename Traits> class RecordListModel : public QAbstractListModel
{
public:
    using Record = typename Traits::Record;
    enum Role { RecordRole = Qt::UserRole, TitleRole, ArtworkRole, IsFavoriteRole };

    using QAbstractListModel::QAbstractListModel;

    const QList<Record> &records() const { return m_records; }

    // A different list resets the model; the same one changes nothing.
    void setRecords(const QList<Record> &records)
    {
        if (records == m_records)
            return;
        beginResetModel();
        m_records = records;
        endResetModel();
    }

    // The rows show whether their record is a favourite and follow the store's changes.
    void followFavorites(FavoritesStore *store)
    {
        if (m_favorites)
            QObject::disconnect(m_favorites, nullptr, this, nullptr);
        m_favorites = store;
        if (!store)
            return;
        QObject::connect(store, &FavoritesStore::favoriteChanged, this,
                         [this](ContentType type, const QString &id) {
                             if (type == Traits::source.contentType)
                                 markChanged(id);
                         });
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_records.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Record &record = m_records.at(index.row());
        switch (role) {
        case RecordRole:
            return QVariant::fromValue(record);
        case Qt::DisplayRole:
        case TitleRole:
            return record.name();
        case ArtworkRole:
            return Traits::artwork(record);
        case IsFavoriteRole:
            return m_favorites && m_favorites->isFavorite(Traits::source.contentType, Traits::id(record));
        default:
            return {};
        }
    }

    QHash<int, QByteArray> roleNames() const override
    {
        static const QHash<int, QByteArray> names{{RecordRole, QByteArrayLiteral("record")},
                                                  {TitleRole, QByteArrayLiteral("title")},
                                                  {ArtworkRole, QByteArrayLiteral("artwork")},
                                                  {IsFavoriteRole, QByteArrayLiteral("isFavorite")}};
        return names;
    }

private:
    void markChanged(const QString &id)
    {
        for (qsizetype i = 0; i < m_records.size(); ++i) {
            if (Traits::id(m_records.at(i)) == id) {
                const QModelIndex at = index(int(i));
                Q_EMIT dataChanged(at, at, {IsFavoriteRole});
            }
        }
    }

    QList<Record> m_records;
    QPointer<FavoritesStore> m_favorites;
};
