#pragma once

#include "provider/ContentType.h"

#include <QLatin1StringView>

// Where a catalog section's records come from, whatever their type: the provider's actions for
// its categories and for its lists, and the file of the whole catalog's disk copy.
struct CatalogSource
{
    ContentType contentType;
    QLatin1StringView categoriesAction;
    QLatin1StringView listAction;
    QLatin1StringView fileName;
};
