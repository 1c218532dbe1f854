#pragma once

#include <QObject>
#include <QPointer>
#include <coroutine>

// Suspends a coroutine until `sender` emits `signal` or is destroyed, whichever comes first;
// co_await gives true for the signal. QCoro's own awaiters wait for the signal alone, so a
// coroutine waiting on an object deleted first (a reply whose manager goes at exit, a timer
// owned by a model that goes away) would never end and its frame would never be freed.
template <typename Sender, typename Signal> class SignalOrGone
{
public:
    SignalOrGone(Sender *sender, Signal signal) : m_sender(sender), m_signal(signal) {}

    bool await_ready() const noexcept { return !m_sender; }

    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_waiting = waiting;
        m_arrival = QObject::connect(m_sender.data(), m_signal, [this] { resume(true); });
        m_departure = QObject::connect(m_sender.data(), &QObject::destroyed, [this] { resume(false); });
    }

    bool await_resume() const noexcept { return m_arrived; }

private:
    void resume(bool arrived)
    {
        // Both cut first: the awaiter lives in the frame that resuming may end.
        QObject::disconnect(m_arrival);
        QObject::disconnect(m_departure);
        m_arrived = arrived;
        m_waiting.resume();
    }

    QPointer<Sender> m_sender;
    Signal m_signal;
    std::coroutine_handle<> m_waiting;
    QMetaObject::Connection m_arrival;
    QMetaObject::Connection m_departure;
    bool m_arrived = false;
};
