#include "storage/PrivateFiles.h"

#include "system/AppInfo.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <limits>

namespace PrivateFiles {

QString dataFile(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') +
           AppInfo::folderName + QLatin1Char('/') + name;
}

bool ensureFolder(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path,
                                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

bool writeAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The temporary file takes these and keeps them when it replaces the old one.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QByteArray> readAll(const QString &path, qint64 maxBytes, qsizetype spare, QString *error)
{
    QFile file(path);
    const auto fail = [&](const QString &reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    const qint64 size = file.size();
    if (size > maxBytes || size > std::numeric_limits<qsizetype>::max() - spare)
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    QByteArray bytes;
    bytes.reserve(size + spare);
    bytes.resize(size);
    // Exactly the size asked first: a file that grows meanwhile is read no further, one that
    // shrinks fails.
    if (file.read(bytes.data(), size) != size)
        return fail(file.errorString());
    return bytes;
}

} // namespace PrivateFiles
