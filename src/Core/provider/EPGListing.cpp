#include "provider/EPGListing.h"

#include <QDateTime>

QString EPGListing::timeRange() const
{
    const auto clock = [](qint64 seconds) {
        return QDateTime::fromSecsSinceEpoch(seconds).toLocalTime().toString(QStringLiteral("HH:mm"));
    };
    return clock(m.startTimestamp) + QLatin1String(" - ") + clock(m.stopTimestamp);
}

bool EPGListing::isNow() const
{
    return isNow(QDateTime::currentSecsSinceEpoch());
}

bool EPGListing::isNow(qint64 now) const
{
    return m.nowPlaying || (m.startTimestamp <= now && now < m.stopTimestamp);
}
