#include "live/LiveStreamAttempt.h"

#include "playback/VLCEngine.h"
#include "system/OwnedDelay.h"

#include <algorithm>
#include <chrono>

using Status = VLCEngine::Status;

LiveStreamAttempt::LiveStreamAttempt(VLCEngine *engine, QObject *parent) : QObject(parent), m_engine(engine)
{
    if (m_engine)
        connect(m_engine, &VLCEngine::statusChanged, this, &LiveStreamAttempt::followStatus);
    connect(&m_progressCheck, &QTimer::timeout, this, &LiveStreamAttempt::checkProgress);
}

void LiveStreamAttempt::setWatchMs(int ms)
{
    if (m_watchMs == ms || ms < 0)
        return;
    m_watchMs = ms;
    Q_EMIT timingChanged();
}

void LiveStreamAttempt::setReconnectWaitMs(int ms)
{
    if (m_reconnectWaitMs == ms || ms < 0)
        return;
    m_reconnectWaitMs = ms;
    Q_EMIT timingChanged();
}

void LiveStreamAttempt::setStallMs(int ms)
{
    m_stallMs = std::max(ms, 1);
    if (m_progressCheck.isActive())
        m_progressCheck.start(progressStepMs());
}

QCoro::Task<bool> LiveStreamAttempt::run(XtreamClient client, QString streamId,
                                         std::function<bool()> stillWanted)
{
    cancel();
    const quint64 attempt = m_attempt;
    const QPointer<LiveStreamAttempt> self(this);
    m_client = client;
    m_streamId = streamId;
    m_stillWanted = stillWanted;
    setDidFallbackToTS(false);
    start(QStringLiteral("m3u8"));
    const bool adaptiveFailed = co_await failedAfterWatch(attempt);
    if (!self)
        co_return false;
    if (!adaptiveFailed) {
        keepAlive(stillCurrent(attempt));
        co_return false;
    }
    setDidFallbackToTS(true);
    start(QStringLiteral("ts"));
    const bool bothFailed = co_await failedAfterWatch(attempt);
    if (!self)
        co_return false;
    keepAlive(!bothFailed && stillCurrent(attempt));
    co_return bothFailed;
}

void LiveStreamAttempt::cancel()
{
    ++m_attempt;
    keepAlive(false);
    setReconnecting(false);
}

QCoro::Task<bool> LiveStreamAttempt::failedAfterWatch(quint64 attempt)
{
    // A sleep cut short by this object's end reads nothing of it.
    const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(m_watchMs));
    co_return waited &&stillCurrent(attempt) && streamStopped();
}

// The engine reports each change; a drop is an end or an error of the stream kept alive. A stop
// is somebody else's doing (the screen left): nothing to keep alive after it.
void LiveStreamAttempt::followStatus()
{
    if (!m_keepAlive || m_reconnecting || !m_engine)
        return;
    if (m_engine->status() == Status::Stopped) {
        keepAlive(false);
        return;
    }
    if (streamStopped() && stillCurrent(m_attempt))
        reconnect(m_attempt);
}

QCoro::Task<> LiveStreamAttempt::reconnect(quint64 attempt)
{
    const QPointer<LiveStreamAttempt> self(this);
    setReconnecting(true);
    int waitMs = m_reconnectWaitMs;
    for (int retry = 0; retry < reconnectTries; ++retry, waitMs *= 2) {
        const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(waitMs));
        if (!waited || !stillCurrent(attempt))
            co_return;
        start(m_extension);
        const bool plays = co_await playsWithinWatch(attempt);
        if (!self || !stillCurrent(attempt))
            co_return;
        if (plays) {
            keepAlive(true);
            setReconnecting(false);
            co_return;
        }
    }
    keepAlive(false);
    setReconnecting(false);
    Q_EMIT lost();
}

QCoro::Task<bool> LiveStreamAttempt::playsWithinWatch(quint64 attempt)
{
    // Looked at often enough that a retry that plays ends the reconnecting at once.
    const int stepMs = std::clamp(m_watchMs / 20, 1, 100);
    for (int waitedMs = 0; waitedMs < m_watchMs; waitedMs += stepMs) {
        const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(stepMs));
        if (!waited || attempt != m_attempt || !m_engine)
            co_return false;
        const Status status = m_engine->status();
        if (status == Status::Playing)
            co_return true;
        if (streamStopped() || status == Status::Stopped)
            co_return false;
    }
    co_return false;
}

void LiveStreamAttempt::keepAlive(bool keep)
{
    m_keepAlive = keep;
    m_lastTimeMs = -1;
    m_sinceProgress.start();
    if (!keep)
        m_progressCheck.stop();
    else if (!m_progressCheck.isActive())
        m_progressCheck.start(progressStepMs());
}

int LiveStreamAttempt::progressStepMs() const
{
    return std::clamp(m_stallMs / 10, 1, 1000);
}

void LiveStreamAttempt::checkProgress()
{
    if (!m_keepAlive || m_reconnecting || !m_engine)
        return;
    const Status status = m_engine->status();
    const qint64 timeMs = m_engine->currentTimeMs();
    if ((status != Status::Playing && status != Status::Buffering) || timeMs != m_lastTimeMs) {
        // Paused by the user, or moving on: the stall is counted from here.
        m_lastTimeMs = timeMs;
        m_sinceProgress.start();
        return;
    }
    if (m_sinceProgress.elapsed() >= m_stallMs && stillCurrent(m_attempt))
        reconnect(m_attempt);
}

bool LiveStreamAttempt::stillCurrent(quint64 attempt) const
{
    return attempt == m_attempt && (!m_stillWanted || m_stillWanted());
}

bool LiveStreamAttempt::streamStopped() const
{
    if (!m_engine)
        return false;
    const Status status = m_engine->status();
    return status == Status::Error || status == Status::Ended;
}

void LiveStreamAttempt::start(const QString &extension)
{
    m_extension = extension;
    if (m_engine)
        m_engine->play(m_client.streamUrl(ContentType::Live, m_streamId, extension), 0);
}

void LiveStreamAttempt::setDidFallbackToTS(bool fellBack)
{
    if (m_didFallbackToTS == fellBack)
        return;
    m_didFallbackToTS = fellBack;
    Q_EMIT didFallbackToTSChanged();
}

void LiveStreamAttempt::setReconnecting(bool reconnecting)
{
    if (m_reconnecting == reconnecting)
        return;
    m_reconnecting = reconnecting;
    Q_EMIT reconnectingChanged();
}
