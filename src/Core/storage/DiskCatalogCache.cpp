#include "storage/DiskCatalogCache.h"

#include "storage/PrivateFiles.h"
#include "system/AppInfo.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace DiskCatalogCache {

QString dir()
{
    const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                         QLatin1Char('/') + AppInfo::folderName;
    if (!QFileInfo::exists(path))
        PrivateFiles::ensureFolder(path);
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
