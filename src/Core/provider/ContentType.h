#pragma once

#include <QString>

// The three kinds of content the provider streams. Their names are those of the provider's stream
// addresses, and the types the favourites and progress files store.
enum class ContentType { Live, Movie, Series };

// "live", "movie" or "series": the one place these names are written.
QString contentTypeName(ContentType type);
