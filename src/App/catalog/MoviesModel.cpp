#include "MoviesModel.h"

MoviesModel::MoviesModel(QObject *parent) : MoviesModel(ProgressStore::shared(), parent) {}

MoviesModel::MoviesModel(ProgressStore *progress, QObject *parent) : CatalogSection(progress, parent) {}

QString MoviesModel::emptyCategoryText() const
{
    return QStringLiteral("No hay películas en esta categoría.");
}
