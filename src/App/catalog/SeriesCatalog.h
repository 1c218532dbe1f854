#pragma once

#include "catalog/CatalogSource.h"
#include "provider/SeriesStream.h"
#include "storage/ProgressEntry.h"

// Where the series section takes its records from, what makes a series recent, and how its card
// and its continue-watching card read.
struct SeriesCatalog
{
    using Record = SeriesStream;
    static constexpr CatalogSource source{ContentType::Series, QLatin1StringView("get_series_categories"),
                                          QLatin1StringView("get_series"),
                                          QLatin1StringView("series_all.json")};
    static qint64 recency(const SeriesStream &series) { return series.lastModifiedEpoch(); }
    static QString id(const SeriesStream &series) { return series.seriesId(); }
    static QString artwork(const SeriesStream &series) { return series.cover(); }
    // A series that only the favourites store or a progress entry knows: name, id and cover.
    static SeriesStream known(const QString &id, const QString &name, const QString &cover)
    {
        std::array<QString, SeriesStream::FieldCount> fields;
        fields[SeriesStream::Name] = name;
        fields[SeriesStream::SeriesId] = id;
        fields[SeriesStream::Cover] = cover;
        return SeriesStream(RecordText<SeriesStream::FieldCount>::fromStrings(fields), 0);
    }
    // The series a continue-watching card opens.
    static SeriesStream fromEntry(const ProgressEntry &entry)
    {
        return known(entry.contentId(), entry.name(), entry.imageUrl().value_or(QString()));
    }
};
