#include "storage/FavoritesStore.h"

#include "storage/PrivateFiles.h"

#include <QCollator>
#include <QJSEngine>
#include <algorithm>

namespace {

QVariantList toVariantList(const QList<Favorite> &favorites)
{
    QVariantList list;
    list.reserve(favorites.size());
    for (const Favorite &f : favorites)
        list.append(QVariant::fromValue(f));
    return list;
}

} // namespace

FavoritesStore::FavoritesStore(const QString &filePath, QObject *parent) : QObject(parent), m_file(filePath)
{
    m_file.ensureFolder();
    load();
}

FavoritesStore *FavoritesStore::shared()
{
    static FavoritesStore *instance = new FavoritesStore(defaultFilePath());
    return instance;
}

FavoritesStore *FavoritesStore::create(QQmlEngine *, QJSEngine *)
{
    FavoritesStore *store = shared();
    QJSEngine::setObjectOwnership(store, QJSEngine::CppOwnership);
    return store;
}

QString FavoritesStore::defaultFilePath()
{
    return PrivateFiles::dataFile(QStringLiteral("favorites.json"));
}

QList<Favorite> FavoritesStore::items(ContentType ofType) const
{
    QList<Favorite> list;
    for (const Favorite &f : m_items) {
        if (f.contentType() == ofType)
            list.append(f);
    }
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(list.begin(), list.end(), [&collator](const Favorite &a, const Favorite &b) {
        return collator.compare(a.name(), b.name()) < 0;
    });
    return list;
}

bool FavoritesStore::isFavorite(ContentType type, const QString &id) const
{
    return std::any_of(m_items.cbegin(), m_items.cend(),
                       [&](const Favorite &f) { return f.contentType() == type && f.contentId() == id; });
}

void FavoritesStore::add(const Favorite &favorite)
{
    // Only the app's own types are added: a record of a type it does not know comes from the file.
    const std::optional<ContentType> type = favorite.contentType();
    if (!type || isFavorite(*type, favorite.contentId()))
        return;
    m_items.append(favorite);
    Q_EMIT itemsChanged();
    Q_EMIT favoriteChanged(*type, favorite.contentId());
    save();
}

void FavoritesStore::remove(ContentType type, const QString &id)
{
    const auto removed =
        m_items.removeIf([&](const Favorite &f) { return f.contentType() == type && f.contentId() == id; });
    if (removed > 0) {
        Q_EMIT itemsChanged();
        Q_EMIT favoriteChanged(type, id);
    }
    save();
}

bool FavoritesStore::toggle(const Favorite &favorite)
{
    const std::optional<ContentType> type = favorite.contentType();
    if (type && isFavorite(*type, favorite.contentId())) {
        remove(*type, favorite.contentId());
        return false;
    }
    add(favorite);
    return true;
}

Favorite FavoritesStore::makeFavorite(ContentType type, const QString &id, const QString &name,
                                      const QString &imageUrl)
{
    return Favorite(type, id, name, imageUrl.isEmpty() ? std::nullopt : std::optional(imageUrl));
}

void FavoritesStore::load()
{
    if (auto loaded = m_file.readRecords<Favorite>())
        m_items = std::move(*loaded);
}

void FavoritesStore::save()
{
    // A failed write keeps the change in memory for this run.
    m_file.writeRecords(m_items);
}

QVariantList FavoritesStore::itemsForQml() const
{
    return toVariantList(m_items);
}
