#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>

class QNetworkReply;

// Aborts a reply that goes `idle` without receiving anything (headers or body), or that runs
// longer than `total` in all (zero: no total limit). fired() then tells the caller that the
// reply's cancellation was a time-out.
class ReplyWatchdog : public QObject
{
    Q_OBJECT
public:
    ReplyWatchdog(QNetworkReply *reply, std::chrono::milliseconds idle, std::chrono::milliseconds total);

    bool fired() const { return m_fired; }

private:
    void expire();

    QPointer<QNetworkReply> m_reply;
    QTimer m_idle;
    QTimer m_total;
    bool m_fired = false;
};
