#include "system/AppInfo.h"

#include <QCoreApplication>

QString AppInfo::versionFrom(const QString &applicationVersion)
{
    const QString trimmed = applicationVersion.trimmed();
    return trimmed.isEmpty() ? QStringLiteral("1.0") : trimmed;
}

QString AppInfo::version() const
{
    return versionFrom(QCoreApplication::applicationVersion());
}
