#include "LiveFullscreenPlayback.h"

#include "LiveFullscreenNowPlaying.h"
#include "LiveStreamAttempt.h"
#include "NorvaneError.h"
#include "VLCEngine.h"

LiveFullscreenPlayback::LiveFullscreenPlayback(QObject *parent)
    : LiveFullscreenPlayback(VLCEngine::shared(), parent)
{
}

LiveFullscreenPlayback::LiveFullscreenPlayback(VLCEngine *engine, QObject *parent)
    : QObject(parent), m_engine(engine), m_controls(new ControlsAutoHide(this)),
      m_keys(new PlaybackKeys(this)), m_windowMode(new WindowFullScreen(this)),
      m_attempt(new LiveStreamAttempt(engine, this))
{
    m_keys->setLive(true);
    m_keys->setControls(m_controls);
    connect(m_keys, &PlaybackKeys::playPause, this, &LiveFullscreenPlayback::togglePause);
    connect(m_keys, &PlaybackKeys::toggleFullScreen, this, &LiveFullscreenPlayback::toggleWindowFullScreen);
    connect(m_keys, &PlaybackKeys::back, this, &LiveFullscreenPlayback::goBack);
    connect(m_keys, &PlaybackKeys::changeVolume, this, [this](int delta) {
        if (m_engine)
            m_engine->changeVolume(delta);
    });
    connect(m_keys, &PlaybackKeys::toggleMute, this, [this] {
        if (m_engine)
            m_engine->toggleMute();
    });
    connect(m_attempt, &LiveStreamAttempt::didFallbackToTSChanged, this,
            &LiveFullscreenPlayback::didFallbackToTSChanged);
    new LiveFullscreenNowPlaying(this);
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
    Q_EMIT channelChanged();
}

bool LiveFullscreenPlayback::didFallbackToTS() const
{
    return m_attempt->didFallbackToTS();
}

int LiveFullscreenPlayback::watchMs() const
{
    return m_attempt->watchMs();
}

void LiveFullscreenPlayback::setWatchMs(int ms)
{
    if (m_attempt->watchMs() == ms)
        return;
    m_attempt->setWatchMs(ms);
    Q_EMIT watchMsChanged();
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
        m_controls->scheduleHide();
}

void LiveFullscreenPlayback::play()
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
    m_controls->cancelHide();
    if (m_engine)
        m_engine->stop();
    m_windowMode->leave();
    Q_EMIT closed();
}

void LiveFullscreenPlayback::goBack()
{
    if (m_windowMode->active())
        m_windowMode->leave();
    else
        close();
}

void LiveFullscreenPlayback::toggleWindowFullScreen()
{
    m_windowMode->toggle();
    m_controls->showAndScheduleHide();
}

void LiveFullscreenPlayback::toggleFill()
{
    if (m_engine)
        m_engine->setFillScreen(!m_engine->fillScreen());
    m_controls->showAndScheduleHide();
}

void LiveFullscreenPlayback::togglePause()
{
    if (m_engine)
        m_engine->togglePause();
    m_controls->showAndScheduleHide();
}

void LiveFullscreenPlayback::setError(const QString &error)
{
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}
