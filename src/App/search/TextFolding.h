#pragma once

#include <QString>
#include <QStringView>

// Case- and diacritic-insensitive text for search: canonical decomposition, combining marks
// dropped, case folded. "Película", "PELICULA" and "película" fold to the same text, and ñ
// folds to n.
namespace TextFolding {

// The folded text, computed the plain way for any input.
QString fold(QStringView text);

// The number of user-perceived characters (grapheme clusters), counted up to `limit`.
int graphemeCount(QStringView text, int limit);

} // namespace TextFolding
