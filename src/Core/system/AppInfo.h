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

    static QString versionFrom(const QString &applicationVersion);
    QString version() const;
};
