#include "provider/Episode.h"

QString Episode::durationText() const
{
    if (!m.durationSecs || *m.durationSecs < 1)
        return QString();
    const qint64 seconds = *m.durationSecs;
    const qint64 minutes = (seconds % 3600) / 60;
    if (seconds >= 3600)
        return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(minutes);
    return QStringLiteral("%1 min").arg(minutes);
}
