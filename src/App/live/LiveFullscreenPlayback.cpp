#include "live/LiveFullscreenPlayback.h"

#include "client/NorvaneError.h"
#include "live/LiveStreamAttempt.h"
#include "system/CreationHooks.h"

LiveFullscreenPlayback::LiveFullscreenPlayback(QObject *parent)
    : LiveFullscreenPlayback(VLCEngine::shared(), parent)
{
}

LiveFullscreenPlayback::LiveFullscreenPlayback(VLCEngine *engine, QObject *parent)
    : LivePlayback(engine, false, parent), m_attempt(new LiveStreamAttempt(engine, this))
{
    connect(m_attempt, &LiveStreamAttempt::reconnectingChanged, this,
            [this] { setReconnecting(m_attempt->reconnecting()); });
    connect(m_attempt, &LiveStreamAttempt::lost, this,
            [this] { setError(NorvaneError::channelDidNotPlay()); });
    CreationHooks<LiveFullscreenPlayback>::run(this);
}

void LiveFullscreenPlayback::setClient(const XtreamClient &client)
{
    if (m_client == client)
        return;
    m_client = client;
    Q_EMIT clientChanged();
}

void LiveFullscreenPlayback::setChannel(const ChannelRow &channel)
{
    if (m_channel == channel)
        return;
    m_channel = channel;
    setChannelName(channel.name());
    Q_EMIT channelChanged();
}

void LiveFullscreenPlayback::start()
{
    startTask();
}

QCoro::Task<> LiveFullscreenPlayback::startTask()
{
    QPointer<LiveFullscreenPlayback> self(this);
    co_await playTask();
    if (self)
        controls()->scheduleHide();
}

void LiveFullscreenPlayback::retry()
{
    playTask();
}

QCoro::Task<> LiveFullscreenPlayback::playTask()
{
    QPointer<LiveFullscreenPlayback> self(this);
    setError({});
    // Named, not temporaries inside the co_await: GCC 12 destroys such temporaries twice.
    const XtreamClient client = m_client;
    const QString streamId = m_channel.streamId();
    const std::function<bool()> alwaysWanted = [] { return true; };
    const bool failed = co_await m_attempt->run(client, streamId, alwaysWanted);
    if (self && failed)
        setError(NorvaneError::channelDidNotPlay());
}

void LiveFullscreenPlayback::close()
{
    // A connection attempt still sleeping must not start a stream after the view has gone.
    m_attempt->cancel();
    controls()->cancelHide();
    if (engine())
        engine()->stop();
    windowMode()->leave();
    Q_EMIT closed();
}
