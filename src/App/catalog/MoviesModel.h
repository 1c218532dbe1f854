#pragma once

#include "catalog/CatalogSectionModel.h"
#include "catalog/MovieCatalog.h"
#include "catalog/TypedCatalogRecords.h"

#include <QtQml/qqmlregistration.h>

// The state behind the Movies section: categories, the movies of the selected one, "Recién
// agregadas" from the whole catalog, and the adult categories opened during this visit.
// One model per visit: `MoviesModel { client: app.client }`.
class MoviesModel : public CatalogSectionModel
{
    Q_OBJECT
    QML_ELEMENT

public:
    using Records = TypedCatalogRecords<MovieCatalog>;

    // With the shared progress store.
    explicit MoviesModel(QObject *parent = nullptr);
    MoviesModel(ProgressStore *progress, QObject *parent = nullptr);

    // The list on screen, and the whole catalog once read or downloaded.
    const QList<VodStream> &movies() const { return m_records.list(); }
    const std::optional<QList<VodStream>> &allMovies() const { return m_records.all(); }
    QString title() const override { return QStringLiteral("Películas"); }
    QString emptyCategoryText() const override;

private:
    Records m_records;
};
