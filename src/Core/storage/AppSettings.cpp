#include "storage/AppSettings.h"

#include "storage/PrivateFiles.h"
#include "system/AppInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// Named here rather than taken from the application, so tests and tools find the same file.
constexpr QLatin1StringView organisation = AppInfo::folderName;
constexpr QLatin1StringView application = AppInfo::folderName;

} // namespace

QVariant AppSettings::value(const QString &key, const QVariant &fallback)
{
    return QSettings(organisation, application).value(key, fallback);
}

void AppSettings::setValue(const QString &key, const QVariant &value)
{
    QSettings settings(organisation, application);
    settings.setValue(key, value);
    // Qt writes the settings file with the process's umask (world-readable as a rule): like every
    // other file of the app, it and its folder stay owner-only.
    PrivateFiles::ensureFolder(QFileInfo(settings.fileName()).absolutePath());
    settings.sync();
    QFile::setPermissions(settings.fileName(), QFile::ReadOwner | QFile::WriteOwner);
}
