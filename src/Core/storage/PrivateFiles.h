#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Owner-only files and folders of the app, written atomically.
namespace PrivateFiles {

// Where one of the app's own files lives in the user's data folder (".../Norvane/<name>").
QString dataFile(const QString &name);

// Creates the folder with any missing parents and makes it owner-only (0700). False on failure.
bool ensureFolder(const QString &path);

// Writes the bytes to the path through a temporary file that replaces it in one step, owner-only
// (0600). False when anything failed; the earlier file, if any, is then untouched.
bool writeAtomically(const QString &path, const QByteArray &bytes);

// The whole file, or none when it is missing, unreadable or larger than maxBytes (read no further);
// `error` then says why. The bytes keep `spare` bytes of capacity past their end (room for a JSON
// parser's padding, so that it need not copy them).
std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes, qsizetype spare = 0,
                                  QString *error = nullptr);

} // namespace PrivateFiles
