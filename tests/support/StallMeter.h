#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

namespace norvane::test {

// The longest gap between the ticks of a 5 ms timer: how long the event loop was blocked.
struct StallMeter
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    StallMeter()
    {
        clock.start();
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        timer.start();
    }
};

} // namespace norvane::test
