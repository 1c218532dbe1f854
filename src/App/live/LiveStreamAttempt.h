#pragma once

#include "client/XtreamClient.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <functional>

class VLCEngine;

// One connection attempt at a live channel on the engine: the adaptive (m3u8) address, judged
// after the watch; the transport stream (ts), once, when that has failed; failed when the ts has
// failed too. A live channel has no natural end, so a stream that ended (an HTML page for a
// playlist, a broken playlist, a dropped connection) failed as surely as one in error.
// Once judged working, the attempt keeps the channel alive: a stream that ends or fails later,
// or whose time stands still while it plays or buffers (libVLC may keep a dead live playlist
// "playing"), is started again at the same address after 1, 2 and 4 s (reconnecting), and only
// when the third retry has not played either is the channel lost.
// A newer attempt, or cancel(), supersedes the one still watching or reconnecting: it stops acting.
class LiveStreamAttempt : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A live stream attempt belongs to the screen that plays the channel.")
    // How long each address is given before it is judged (and each retry to start playing).
    Q_PROPERTY(int watchMs READ watchMs WRITE setWatchMs NOTIFY timingChanged FINAL)
    // The first wait before a retry; each further retry waits twice as long as the one before.
    Q_PROPERTY(int reconnectWaitMs READ reconnectWaitMs WRITE setReconnectWaitMs NOTIFY timingChanged FINAL)
    Q_PROPERTY(bool didFallbackToTS READ didFallbackToTS NOTIFY didFallbackToTSChanged FINAL)
    // A stream that played has dropped and is being started again.
    Q_PROPERTY(bool reconnecting READ reconnecting NOTIFY reconnectingChanged FINAL)

public:
    static constexpr int defaultWatchMs = 6000;
    static constexpr int defaultReconnectWaitMs = 1000;
    static constexpr int reconnectTries = 3;
    static constexpr int defaultStallMs = 10000;

    explicit LiveStreamAttempt(VLCEngine *engine, QObject *parent = nullptr);

    int watchMs() const { return m_watchMs; }
    void setWatchMs(int ms);
    int reconnectWaitMs() const { return m_reconnectWaitMs; }
    void setReconnectWaitMs(int ms);
    bool didFallbackToTS() const { return m_didFallbackToTS; }
    bool reconnecting() const { return m_reconnecting; }
    // How long the time of a stream kept alive may stand still while it plays or buffers.
    int stallMs() const { return m_stallMs; }
    void setStallMs(int ms);

    // Plays the channel and ends once it is judged: true when both addresses failed while this
    // attempt was still the latest and the caller still wanted the channel (asked when judging,
    // and before each retry). A channel judged working is kept alive until the next run or cancel.
    // Callers pass named values: GCC 12 destroys temporaries inside a co_await twice.
    QCoro::Task<bool> run(XtreamClient client, QString streamId, std::function<bool()> stillWanted);
    // Zapping, leaving, "Reintentar": the watch, the keep-alive and any retry stop acting.
    void cancel();

Q_SIGNALS:
    void timingChanged();
    void didFallbackToTSChanged();
    void reconnectingChanged();
    // The stream dropped and none of the retries played: the channel is lost.
    void lost();

private:
    // After the watch: whether the attempt still counts and its stream has stopped.
    QCoro::Task<bool> failedAfterWatch(quint64 attempt);
    // Whether a retry reaches "playing" within the watch.
    QCoro::Task<bool> playsWithinWatch(quint64 attempt);
    QCoro::Task<> reconnect(quint64 attempt);
    void followStatus();
    // Looked at every step while a stream is kept alive: a time that stands still is a drop.
    void checkProgress();
    int progressStepMs() const;
    void keepAlive(bool keep);
    bool stillCurrent(quint64 attempt) const;
    bool streamStopped() const;
    void start(const QString &extension);
    void setDidFallbackToTS(bool fellBack);
    void setReconnecting(bool reconnecting);

    QPointer<VLCEngine> m_engine;
    int m_watchMs = defaultWatchMs;
    int m_reconnectWaitMs = defaultReconnectWaitMs;
    bool m_didFallbackToTS = false;
    bool m_reconnecting = false;
    quint64 m_attempt = 0;
    // The channel of the latest run, and the address it plays (m3u8 or ts, once chosen).
    XtreamClient m_client;
    QString m_streamId;
    QString m_extension;
    std::function<bool()> m_stillWanted;
    // Judged working and not yet superseded: a drop is answered with retries.
    bool m_keepAlive = false;
    int m_stallMs = defaultStallMs;
    QTimer m_progressCheck;
    QElapsedTimer m_sinceProgress;
    qint64 m_lastTimeMs = -1;
};
