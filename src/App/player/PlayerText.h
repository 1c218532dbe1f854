#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// The player screen's texts that carry numbers: time labels and the up-next countdown.
class PlayerText : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // "m:ss" below one hour (minutes not wrapped), "h:mm:ss" from one hour on; negatives read 0.
    Q_INVOKABLE static QString timeText(qint64 ms);
    // "Comienza en N segundos..." with the countdown in place of N.
    Q_INVOKABLE static QString countdownText(int seconds);

    static PlayerText *create(QQmlEngine *, QJSEngine *);

private:
    PlayerText() = default;
};
