#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// What the application tells about itself: its version, from the application's version string
// (set from the project version at start-up), "1.0" when that is empty.
class AppInfo : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QString version READ version CONSTANT FINAL)

public:
    using QObject::QObject;

    // The app's folder in the user's data, cache and configuration locations, and the
    // organisation and application names by which Qt finds its settings file
    // (~/.config/Norvane/Norvane.conf): the one place the name is written.
    static constexpr QLatin1StringView folderName{"Norvane"};

    static QString versionFrom(const QString &applicationVersion);
    QString version() const;
};
