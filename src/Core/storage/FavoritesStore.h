#pragma once

#include "storage/Favorite.h"
#include "storage/StoreFile.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;

// The user's favourite channels and series, in the order they were added, kept in
// "favorites.json" and written after every change. One instance (shared()); main thread only.
class FavoritesStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // Every favorite, in the order of addition.
    Q_PROPERTY(QVariantList items READ itemsForQml NOTIFY itemsChanged FINAL)
    Q_PROPERTY(QUrl fileURL READ fileURL CONSTANT FINAL)

public:
    explicit FavoritesStore(const QString &filePath, QObject *parent = nullptr);

    static FavoritesStore *shared();
    static FavoritesStore *create(QQmlEngine *, QJSEngine *);
    // "Norvane/favorites.json" in the user's data folder.
    static QString defaultFilePath();

    const QList<Favorite> &items() const { return m_items; }
    // The favorites of one type by name (localized, case-insensitive); equal names keep their order.
    QList<Favorite> items(ContentType ofType) const;
    QUrl fileURL() const { return QUrl::fromLocalFile(m_file.path()); }

    bool isFavorite(ContentType type, const QString &id) const;
    // Appends the favorite unless one with its type and id is already there.
    Q_INVOKABLE void add(const Favorite &favorite);
    // Removes every favorite with that type and id; the file is written either way.
    void remove(ContentType type, const QString &id);
    // The favourite toggle of every screen: removes the favorite when one with its type and id is
    // there, else adds it. True when it is a favorite afterwards.
    Q_INVOKABLE bool toggle(const Favorite &favorite);

    // A favorite whose empty image address means none.
    static Favorite makeFavorite(ContentType type, const QString &id, const QString &name,
                                 const QString &imageUrl);

Q_SIGNALS:
    void itemsChanged();
    // The favourite state of one item changed (it was added or removed); emitted after
    // itemsChanged, so that a list row can follow its own item without reading the whole list.
    void favoriteChanged(ContentType type, const QString &id);

private:
    void load();
    void save();
    QVariantList itemsForQml() const;

    StoreFile m_file;
    QList<Favorite> m_items;
};
