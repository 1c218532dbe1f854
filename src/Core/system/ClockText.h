#pragma once

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include "system/Snapshot.h"

// Formats the main menu's clock in the fixed locale "es_CL": "9:05 a. m." and
// "Jueves, 4 de diciembre".
class ClockText : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    static QLocale locale();
    static Snapshot snapshotAt(const QDateTime &moment);

    // The texts for the current local time.
    Q_INVOKABLE Snapshot snapshot() const;
};
