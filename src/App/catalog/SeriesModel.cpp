#include "SeriesModel.h"

SeriesModel::SeriesModel(QObject *parent)
    : SeriesModel(ProgressStore::shared(), FavoritesStore::shared(), parent)
{
}

SeriesModel::SeriesModel(ProgressStore *progress, FavoritesStore *favorites, QObject *parent)
    : CatalogSectionModel(SeriesCatalog::source, progress, parent), m_records(this), m_favorites(favorites)
{
    attach(m_records);
}

void SeriesModel::toggleFavorite(const SeriesStream &series)
{
    if (!m_favorites)
        return;
    m_favorites->toggle(FavoritesStore::makeFavorite(contentTypeName(ContentType::Series), series.seriesId(),
                                                     series.name(), series.cover()));
    if (isSelected(SectionRow::favoritesId))
        selectCategory(SectionRow::favoritesId);
}

bool SeriesModel::isFavoriteRecord(const QVariant &record) const
{
    return m_favorites && record.canConvert<SeriesStream>() &&
           m_favorites->isFavorite(contentTypeName(ContentType::Series),
                                   record.value<SeriesStream>().seriesId());
}

void SeriesModel::toggleFavoriteRecord(const QVariant &record)
{
    if (record.canConvert<SeriesStream>())
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
    for (const Favorite &favorite : m_favorites->items(contentTypeName(ContentType::Series))) {
        // Only what the favourite remembers: name, id and cover.
        std::array<QString, SeriesStream::FieldCount> fields;
        fields[SeriesStream::Name] = favorite.name();
        fields[SeriesStream::SeriesId] = favorite.contentId();
        fields[SeriesStream::Cover] = favorite.imageUrl().value_or(QString());
        series.append(SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0));
    }
    return series;
}
