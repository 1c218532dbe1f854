#pragma once

#include "CatalogSource.h"
#include "VodStream.h"

// Where the movies section takes its records from, and what makes a movie recent.
struct MovieCatalog
{
    using Record = VodStream;
    static constexpr CatalogSource source{ContentType::Movie, QLatin1StringView("get_vod_categories"),
                                          QLatin1StringView("get_vod_streams"),
                                          QLatin1StringView("vod_all.json")};
    static qint64 recency(const VodStream &movie) { return movie.addedEpoch(); }
    static QString artwork(const VodStream &movie) { return movie.streamIcon(); }
};
