#pragma once

#include "XtreamClient.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class VLCEngine;

// One connection attempt at a live channel on the engine: the adaptive (m3u8) address, judged
// after the watch; the transport stream (ts), once, when that has failed; failed when the ts has
// failed too. A live channel has no natural end, so a stream that ended (an HTML page for a
// playlist, a broken playlist, a dropped connection) failed as surely as one in error.
// A newer attempt, or cancel(), supersedes the one still watching: it stops acting.
class LiveStreamAttempt : public QObject
{
    Q_OBJECT
public:
    static constexpr int defaultWatchMs = 6000;

    explicit LiveStreamAttempt(VLCEngine *engine, QObject *parent = nullptr);

    // How long each address is given before it is judged.
    int watchMs() const { return m_watchMs; }
    void setWatchMs(int ms) { m_watchMs = ms; }
    bool didFallbackToTS() const { return m_didFallbackToTS; }

    // Plays the channel and ends once it is judged: true when both addresses failed while this
    // attempt was still the latest and the caller still wanted the channel (asked when judging).
    // Callers pass named values: GCC 12 destroys temporaries inside a co_await twice.
    QCoro::Task<bool> run(XtreamClient client, QString streamId, std::function<bool()> stillWanted);
    void cancel() { ++m_attempt; }

Q_SIGNALS:
    void didFallbackToTSChanged();

private:
    // After the watch: whether the attempt still counts and its stream has stopped.
    QCoro::Task<bool> failedAfterWatch(quint64 attempt, std::function<bool()> stillWanted);
    bool streamStopped() const;
    void start(const XtreamClient &client, const QString &streamId, const QString &extension);
    void setDidFallbackToTS(bool fellBack);

    QPointer<VLCEngine> m_engine;
    int m_watchMs = defaultWatchMs;
    bool m_didFallbackToTS = false;
    quint64 m_attempt = 0;
};
