#include "player/PlayerText.h"

#include <QJSEngine>

QString PlayerText::timeText(qint64 ms)
{
    const qint64 totalSeconds = qMax<qint64>(ms, 0) / 1000;
    const qint64 seconds = totalSeconds % 60;
    if (ms < 3'600'000)
        return QString::asprintf("%lld:%02lld", totalSeconds / 60, seconds);
    return QString::asprintf("%lld:%02lld:%02lld", totalSeconds / 3600, (totalSeconds / 60) % 60, seconds);
}

QString PlayerText::countdownText(int seconds)
{
    return QStringLiteral("Comienza en %1 segundos...").arg(seconds);
}

PlayerText *PlayerText::create(QQmlEngine *, QJSEngine *)
{
    static PlayerText *instance = new PlayerText; // stateless; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}
