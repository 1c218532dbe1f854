#include "DiskCatalogCache.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace DiskCatalogCache {

QString dir()
{
    const QString path =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1String("/Norvane");
    if (!QFileInfo::exists(path) && QDir().mkpath(path))
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

std::optional<double> age(const QString &fileName)
{
    const QFileInfo info(dir() + QLatin1Char('/') + fileName);
    if (!info.exists())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return double(modified.msecsTo(QDateTime::currentDateTime())) / 1000.0;
}

} // namespace DiskCatalogCache
