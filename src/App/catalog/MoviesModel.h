#pragma once

#include "CatalogSectionModel.h"
#include "MovieCatalog.h"
#include "TypedCatalogRecords.h"

#include <QtQml/qqmlregistration.h>

// The state behind the Movies section: categories, the movies of the selected one, "Recién
// agregadas" from the whole catalog, and the adult categories opened during this visit.
// One model per visit: `MoviesModel { client: app.client }`.
class MoviesModel : public CatalogSectionModel
{
    Q_OBJECT
    QML_ELEMENT
    // The list on screen, its loading flag and its error under this section's own names.
    Q_PROPERTY(QList<VodStream> movies READ movies NOTIFY listChanged FINAL)
    Q_PROPERTY(bool isLoadingMovies READ isLoadingList NOTIFY isLoadingListChanged FINAL)
    // "" when the last movie load did not fail.
    Q_PROPERTY(QString moviesError READ listError NOTIFY listErrorChanged FINAL)

public:
    using Records = TypedCatalogRecords<MovieCatalog>;

    // With the shared progress store.
    explicit MoviesModel(QObject *parent = nullptr);
    MoviesModel(ProgressStore *progress, QObject *parent = nullptr);

    const QList<VodStream> &movies() const { return m_records.list(); }
    const std::optional<QList<VodStream>> &allMovies() const { return m_records.all(); }
    QString emptyCategoryText() const override;

private:
    Records m_records;
};
