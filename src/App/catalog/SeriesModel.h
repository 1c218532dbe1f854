#pragma once

#include "catalog/CatalogSectionModel.h"
#include "catalog/SeriesCatalog.h"
#include "catalog/TypedCatalogRecords.h"
#include "storage/FavoritesStore.h"

#include <QPointer>
#include <QtQml/qqmlregistration.h>

// The state behind the Series section: as the movies section, with series instead of movies,
// plus the user's favourite series under "__favorites__".
// One model per visit: `SeriesModel { client: app.client }`.
class SeriesModel : public CatalogSectionModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    using Records = TypedCatalogRecords<SeriesCatalog>;

    // With the shared progress and favourites stores.
    explicit SeriesModel(QObject *parent = nullptr);
    SeriesModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent = nullptr);

    // The list on screen, and the whole catalog once read or downloaded.
    const QList<SeriesStream> &items() const { return m_records.list(); }
    const std::optional<QList<SeriesStream>> &allSeries() const { return m_records.all(); }

    // Adds the series to the favourites, or removes it when it is one; a favourites list on
    // screen follows the change.
    void toggleFavorite(const SeriesStream &series);

    QString title() const override { return QStringLiteral("Series"); }
    bool offersFavorites() const override { return true; }
    void toggleFavoriteAt(int row) override;
    QString emptyCategoryText() const override;
    QString emptyFavoritesText() const override;

protected:
    bool showSectionSpecial(const QString &categoryId) override;

private:
    QList<SeriesStream> favoriteSeries() const;

    Records m_records;
    QPointer<FavoritesStore> m_favorites;
};
