#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The texts of the first catalog download's progress display.
class CatalogLoadingText : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // "Preparando catálogo… 42%": the fraction as a whole percent, truncated.
    Q_INVOKABLE static QString forFraction(double fraction);
    // "Preparando catálogo… 1.5 MB": bytes in MiB with one decimal and a decimal point.
    Q_INVOKABLE static QString forBytes(qint64 bytes);
    Q_INVOKABLE static QString firstTimeNote() { return QStringLiteral("(solo la primera vez)"); }
};
