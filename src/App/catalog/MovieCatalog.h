#pragma once

#include "catalog/CatalogSource.h"
#include "provider/VodStream.h"
#include "storage/ProgressEntry.h"

// Where the movies section takes its records from, what makes a movie recent, and how its card
// and its continue-watching card read.
struct MovieCatalog
{
    using Record = VodStream;
    static constexpr CatalogSource source{ContentType::Movie, QLatin1StringView("get_vod_categories"),
                                          QLatin1StringView("get_vod_streams"),
                                          QLatin1StringView("vod_all.json")};
    static qint64 recency(const VodStream &movie) { return movie.addedEpoch(); }
    static QString id(const VodStream &movie) { return movie.streamId(); }
    static QString artwork(const VodStream &movie) { return movie.streamIcon(); }
    // The movie a continue-watching card opens: name, id and picture of its entry, nothing else.
    static VodStream fromEntry(const ProgressEntry &entry)
    {
        return VodStream(entry.name(), entry.contentId(), entry.imageUrl().value_or(QString()), QString(),
                         QString(), QString());
    }
};
