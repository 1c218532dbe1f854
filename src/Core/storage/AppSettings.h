#pragma once

#include <QString>
#include <QVariant>

// The app's preferences file (~/.config/Norvane/Norvane.conf): small values that outlive a run,
// such as catalog sizes, the volume and the window's place. Written owner-only like every other
// file of the app.
class AppSettings
{
public:
    static QVariant value(const QString &key, const QVariant &fallback = {});
    // Stores the value at once; the file and its folder stay owner-only.
    static void setValue(const QString &key, const QVariant &value);
};
