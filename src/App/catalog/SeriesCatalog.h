#pragma once

#include "CatalogSource.h"
#include "SeriesStream.h"

// Where the series section takes its records from, and what makes a series recent.
struct SeriesCatalog
{
    using Record = SeriesStream;
    static constexpr CatalogSource source{ContentType::Series, QLatin1StringView("get_series_categories"),
                                          QLatin1StringView("get_series"),
                                          QLatin1StringView("series_all.json")};
    static qint64 recency(const SeriesStream &series) { return series.lastModifiedEpoch(); }
    static QString artwork(const SeriesStream &series) { return series.cover(); }
};
