#include "LiveStreamAttempt.h"

#include "OwnedDelay.h"
#include "VLCEngine.h"

#include <chrono>

LiveStreamAttempt::LiveStreamAttempt(VLCEngine *engine, QObject *parent) : QObject(parent), m_engine(engine)
{
}

QCoro::Task<bool> LiveStreamAttempt::run(XtreamClient client, QString streamId,
                                         std::function<bool()> stillWanted)
{
    const quint64 attempt = ++m_attempt;
    setDidFallbackToTS(false);
    start(client, streamId, QStringLiteral("m3u8"));
    const bool adaptiveFailed = co_await failedAfterWatch(attempt, stillWanted);
    if (!adaptiveFailed)
        co_return false;
    setDidFallbackToTS(true);
    start(client, streamId, QStringLiteral("ts"));
    const bool bothFailed = co_await failedAfterWatch(attempt, stillWanted);
    co_return bothFailed;
}

QCoro::Task<bool> LiveStreamAttempt::failedAfterWatch(quint64 attempt, std::function<bool()> stillWanted)
{
    // A sleep cut short by this object's end reads nothing of it.
    const bool waited = co_await ownedDelay(this, std::chrono::milliseconds(m_watchMs));
    co_return waited &&attempt == m_attempt && (!stillWanted || stillWanted()) && streamStopped();
}

bool LiveStreamAttempt::streamStopped() const
{
    if (!m_engine)
        return false;
    const VLCEngine::Status status = m_engine->status();
    return status == VLCEngine::Status::Error || status == VLCEngine::Status::Ended;
}

void LiveStreamAttempt::start(const XtreamClient &client, const QString &streamId, const QString &extension)
{
    if (m_engine)
        m_engine->play(client.streamUrl(ContentType::Live, streamId, extension), 0);
}

void LiveStreamAttempt::setDidFallbackToTS(bool fellBack)
{
    if (m_didFallbackToTS == fellBack)
        return;
    m_didFallbackToTS = fellBack;
    Q_EMIT didFallbackToTSChanged();
}
