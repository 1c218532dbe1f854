#pragma once

#include "CatalogSection.h"
#include "FavoritesStore.h"
#include "SeriesCatalog.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

// The state behind the Series section: as the movies section, with series instead of movies,
// plus the user's favourite series under "__favorites__".
// One model per visit: `SeriesModel { client: app.client }`.
class SeriesModel : public CatalogSection<SeriesCatalog>
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(FavoritesStore *favorites READ favorites CONSTANT FINAL)
    Q_PROPERTY(QList<SeriesStream> items READ items NOTIFY listChanged FINAL)
    Q_PROPERTY(bool isLoadingItems READ isLoadingItems NOTIFY isLoadingListChanged FINAL)
    // "" when the last series load did not fail.
    Q_PROPERTY(QString itemsError READ itemsError NOTIFY listErrorChanged FINAL)

public:
    // With the shared progress and favourites stores.
    explicit SeriesModel(QObject *parent = nullptr);
    SeriesModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent = nullptr);

    FavoritesStore *favorites() const { return m_favorites; }
    const QList<SeriesStream> &items() const { return list(); }
    bool isLoadingItems() const { return isLoadingList(); }
    QString itemsError() const { return listError(); }
    const std::optional<QList<SeriesStream>> &allSeries() const { return all(); }

    // Adds the series to the favourites, or removes it when it is one; a favourites list on
    // screen follows the change.
    Q_INVOKABLE void toggleFavorite(const SeriesStream &series);

    bool offersFavorites() const override { return true; }
    bool isFavoriteRecord(const QVariant &record) const override;
    void toggleFavoriteRecord(const QVariant &record) override;
    QString emptyCategoryText() const override;
    QString emptyFavoritesText() const override;

protected:
    bool showSectionSpecial(const QString &categoryId) override;

private:
    QList<SeriesStream> favoriteSeries() const;

    QPointer<FavoritesStore> m_favorites;
};
