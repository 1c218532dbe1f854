#pragma once

#include <QColor>
#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// The fixed palette every screen takes its colours from (all opaque sRGB).
class Brand : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QColor primary MEMBER primary CONSTANT FINAL)
    Q_PROPERTY(QColor onPrimary MEMBER onPrimary CONSTANT FINAL)
    Q_PROPERTY(QColor secondary MEMBER secondary CONSTANT FINAL)
    Q_PROPERTY(QColor background MEMBER background CONSTANT FINAL)
    Q_PROPERTY(QColor onBackground MEMBER onBackground CONSTANT FINAL)
    Q_PROPERTY(QColor surface MEMBER surface CONSTANT FINAL)
    Q_PROPERTY(QColor surfaceVariant MEMBER surfaceVariant CONSTANT FINAL)
    Q_PROPERTY(QColor launcherBackground MEMBER launcherBackground CONSTANT FINAL)
    Q_PROPERTY(QColor secondaryText MEMBER secondaryText CONSTANT FINAL)
    // The system red of error texts.
    Q_PROPERTY(QColor error MEMBER error CONSTANT FINAL)
    // The neon gradient's colours from the leading to the trailing edge, evenly spaced.
    Q_PROPERTY(QVariantList neon READ neonStops CONSTANT FINAL)

public:
    // Members rather than statics: the properties read them (MEMBER).
    const QColor primary{61, 220, 151};
    const QColor onPrimary{6, 40, 28};
    const QColor secondary{79, 156, 249};
    const QColor background{11, 14, 20};
    const QColor onBackground{230, 233, 239};
    const QColor surface{20, 25, 37};
    const QColor surfaceVariant{30, 37, 51};
    const QColor launcherBackground{4, 6, 15};
    const QColor secondaryText{174, 179, 192};
    const QColor error{255, 69, 58};
    const QColor neon[3] = {QColor(255, 61, 154), QColor(156, 77, 255), QColor(46, 197, 255)};

    static Brand *create(QQmlEngine *, QJSEngine *);

    QVariantList neonStops() const;

private:
    Brand() = default;
};
