#pragma once

#include "ContentType.h"
#include "VodStream.h"

#include <QLatin1StringView>

// Where the movies section takes its records from, and what makes a movie recent.
struct MovieCatalog
{
    using Record = VodStream;
    static constexpr ContentType contentType = ContentType::Movie;
    static constexpr QLatin1StringView categoriesAction{"get_vod_categories"};
    static constexpr QLatin1StringView listAction{"get_vod_streams"};
    static constexpr QLatin1StringView fileName{"vod_all.json"};
    static qint64 recency(const VodStream &movie) { return movie.addedEpoch(); }
    static QString artwork(const VodStream &movie) { return movie.streamIcon(); }
};
