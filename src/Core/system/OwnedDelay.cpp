#include "system/OwnedDelay.h"

#include "system/SignalOrGone.h"

#include <QPointer>
#include <QTimer>

QCoro::Task<bool> ownedDelay(QObject *owner, std::chrono::milliseconds duration)
{
    if (!owner)
        co_return false;
    // A child of the owner: destroying the owner destroys the timer, which ends the wait.
    QPointer<QTimer> timer = new QTimer(owner);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(true);
    timer->start(duration);
    SignalOrGone timeout(timer.data(),
                         &QTimer::timeout); // named: GCC 12 destroys temporaries in co_await twice
    const bool elapsed = co_await timeout;
    if (timer)
        timer->deleteLater(); // it is still emitting the signal that resumed us
    co_return elapsed;
}
