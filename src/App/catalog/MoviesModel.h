#pragma once

#include "CatalogSection.h"
#include "MovieCatalog.h"

#include <QtQml/qqmlregistration.h>

// The state behind the Movies section: categories, the movies of the selected one, "Recién
// agregadas" from the whole catalog, and the adult categories opened during this visit.
// One model per visit: `MoviesModel { client: app.client }`.
class MoviesModel : public CatalogSection<MovieCatalog>
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<VodStream> movies READ movies NOTIFY listChanged FINAL)
    Q_PROPERTY(bool isLoadingMovies READ isLoadingMovies NOTIFY isLoadingListChanged FINAL)
    // "" when the last movie load did not fail.
    Q_PROPERTY(QString moviesError READ moviesError NOTIFY listErrorChanged FINAL)

public:
    // With the shared progress store.
    explicit MoviesModel(QObject *parent = nullptr);
    MoviesModel(ProgressStore *progress, QObject *parent = nullptr);

    const QList<VodStream> &movies() const { return list(); }
    bool isLoadingMovies() const { return isLoadingList(); }
    QString moviesError() const { return listError(); }
    const std::optional<QList<VodStream>> &allMovies() const { return all(); }
    QString emptyCategoryText() const override;
};
