#pragma once

#include "ContentType.h"
#include "SeriesStream.h"

#include <QLatin1StringView>

// Where the series section takes its records from, and what makes a series recent.
struct SeriesCatalog
{
    using Record = SeriesStream;
    static constexpr ContentType contentType = ContentType::Series;
    static constexpr QLatin1StringView categoriesAction{"get_series_categories"};
    static constexpr QLatin1StringView listAction{"get_series"};
    static constexpr QLatin1StringView fileName{"series_all.json"};
    static qint64 recency(const SeriesStream &series) { return series.lastModifiedEpoch(); }
    static QString artwork(const SeriesStream &series) { return series.cover(); }
};
