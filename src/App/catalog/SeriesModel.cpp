#include "SeriesModel.h"

SeriesModel::SeriesModel(QObject *parent)
    : SeriesModel(ProgressStore::shared(), FavoritesStore::shared(), parent)
{
}

SeriesModel::SeriesModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent)
    : CatalogSection(progress, parent), m_favorites(favorites)
{
}

void SeriesModel::toggleFavorite(const SeriesStream &series)
{
    if (!m_favorites)
        return;
    m_favorites->toggle(FavoritesStore::makeFavorite(QString(favoriteType), series.seriesId(), series.name(),
                                                     series.cover()));
    if (isSelected(favoritesId))
        selectCategory(favoritesId);
}

bool SeriesModel::showSectionSpecial(const QString &categoryId)
{
    if (categoryId != favoritesId)
        return false;
    setList(favoriteSeries());
    return true;
}

QList<SeriesStream> SeriesModel::favoriteSeries() const
{
    QList<SeriesStream> series;
    if (!m_favorites)
        return series;
    for (const Favorite &favorite : m_favorites->items(QString(favoriteType))) {
        // Only what the favourite remembers: name, id and cover.
        std::array<QString, SeriesStream::FieldCount> fields;
        fields[SeriesStream::Name] = favorite.name();
        fields[SeriesStream::SeriesId] = favorite.contentId();
        fields[SeriesStream::Cover] = favorite.imageUrl().value_or(QString());
        series.append(SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0));
    }
    return series;
}
