#pragma once

#include "ProgressEntry.h"
#include "SeriesStream.h"
#include "VodStream.h"

#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// The detail screens' rules that QML needs without a model at hand: the marks of an episode row
// and the records that a continue-watching card opens.
class DetailRules : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // The bar's fill of an episode row (undefined for no bar) and its "Visto" mark, from the
    // episode's progress entry or undefined.
    Q_INVOKABLE static QVariant barFraction(const QVariant &entry);
    Q_INVOKABLE static bool isWatched(const QVariant &entry);
    Q_INVOKABLE static VodStream movieFromEntry(const ProgressEntry &entry);
    Q_INVOKABLE static SeriesStream seriesFromEntry(const ProgressEntry &entry);

    static DetailRules *create(QQmlEngine *, QJSEngine *);

private:
    DetailRules() = default;
};
