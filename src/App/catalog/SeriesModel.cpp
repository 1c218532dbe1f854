#include "catalog/SeriesModel.h"

SeriesModel::SeriesModel(QObject *parent)
    : SeriesModel(ProgressStore::shared(), FavoritesStore::shared(), parent)
{
}

SeriesModel::SeriesModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent)
    : CatalogSectionModel(SeriesCatalog::source, progress, parent), m_records(this), m_favorites(favorites)
{
    attach(m_records);
    m_records.followFavorites(favorites);
}

void SeriesModel::toggleFavorite(const SeriesStream &series)
{
    if (!m_favorites)
        return;
    m_favorites->toggle(
        FavoritesStore::makeFavorite(ContentType::Series, series.seriesId(), series.name(), series.cover()));
    // The favourites row is read again, as choosing it again would.
    if (isSelectedCategory(SectionRow::favoritesId))
        selectCategory(SectionRow::favoritesId);
}

void SeriesModel::toggleFavoriteAt(int row)
{
    const QVariant record = recordAt(row);
    if (record.isValid())
        toggleFavorite(record.value<SeriesStream>());
}

QString SeriesModel::emptyCategoryText() const
{
    return QStringLiteral("No hay series en esta categoría.");
}

QString SeriesModel::emptyFavoritesText() const
{
    return QStringLiteral(
        "Aún no tienes series favoritas.\nUsa clic derecho sobre una serie para agregarla.");
}

bool SeriesModel::showSectionSpecial(const QString &categoryId)
{
    if (categoryId != SectionRow::favoritesId)
        return false;
    m_records.setList(favoriteSeries());
    return true;
}

QList<SeriesStream> SeriesModel::favoriteSeries() const
{
    QList<SeriesStream> series;
    if (!m_favorites)
        return series;
    // Only what the favourite remembers: name, id and cover.
    for (const Favorite &favorite : m_favorites->items(ContentType::Series))
        series.append(SeriesCatalog::known(favorite.contentId(), favorite.name(), favorite.imageUrlText()));
    return series;
}
