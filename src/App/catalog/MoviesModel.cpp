#include "catalog/MoviesModel.h"

MoviesModel::MoviesModel(QObject *parent) : MoviesModel(ProgressStore::shared(), parent) {}

MoviesModel::MoviesModel(ProgressStore *progress, QObject *parent)
    : CatalogSectionModel(MovieCatalog::source, progress, parent), m_records(this)
{
    attach(m_records);
}

QString MoviesModel::emptyCategoryText() const
{
    return QStringLiteral("No hay películas en esta categoría.");
}
