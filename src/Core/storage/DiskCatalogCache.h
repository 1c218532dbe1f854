#pragma once

#include <QString>
#include <optional>

// Where the last good body of each whole catalog is kept ("vod_all.json", "series_all.json"),
// and how old a kept body is.
namespace DiskCatalogCache {

// The folder "Norvane" of the user's cache location, made (owner-only) when missing.
QString dir();

// Seconds since the file in dir() was modified; negative for a date in the future; absent when
// the file does not exist or has no modification date.
std::optional<double> age(const QString &fileName);

} // namespace DiskCatalogCache
