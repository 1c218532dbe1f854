#include "LiveFullscreenPlayback.h"

#include "OwnedDelay.h"
#include "VLCEngine.h"

#include <chrono>

LiveFullscreenPlayback::LiveFullscreenPlayback(QObject *parent) : LiveFullscreenPlayback(VLCEngine::shared(), parent)
{
}

LiveFullscreenPlayback::LiveFullscreenPlayback(VLCEngine *engine, QObject *parent)
    : QObject(parent), m_engine(engine), m_controls(new ControlsAutoHide(this))
{
}

QString LiveFullscreenPlayback::errorText()
{
    return QStringLiteral("No se pudo reproducir este canal.\nRevisa tu conexión a internet o inténtalo de nuevo.");
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

void LiveFullscreenPlayback::setWatchMs(int ms)
{
    if (m_watchMs == ms)
        return;
    m_watchMs = ms;
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
    const quint64 attempt = ++m_attempt;
    setError({});
    setDidFallbackToTS(false);
    startStream(QStringLiteral("m3u8"));
    bool waited = co_await ownedDelay(this, std::chrono::milliseconds(m_watchMs));
    if (!waited || attempt != m_attempt || !engineFailed())
        co_return;
    setDidFallbackToTS(true);
    startStream(QStringLiteral("ts"));
    waited = co_await ownedDelay(this, std::chrono::milliseconds(m_watchMs));
    if (!waited || attempt != m_attempt || !engineFailed())
        co_return;
    setError(errorText());
}

void LiveFullscreenPlayback::close()
{
    // A connection attempt still sleeping must not start a stream after the view has gone.
    ++m_attempt;
    m_controls->cancelHide();
    if (m_engine)
        m_engine->stop();
    Q_EMIT closed();
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

bool LiveFullscreenPlayback::engineFailed() const
{
    return m_engine && m_engine->status() == VLCEngine::Status::Error;
}

void LiveFullscreenPlayback::startStream(const QString &extension)
{
    if (m_engine)
        m_engine->play(m_client.streamUrl(QStringLiteral("live"), m_channel.streamId(), extension), 0);
}

void LiveFullscreenPlayback::setDidFallbackToTS(bool fellBack)
{
    if (m_didFallbackToTS == fellBack)
        return;
    m_didFallbackToTS = fellBack;
    Q_EMIT didFallbackToTSChanged();
}

void LiveFullscreenPlayback::setError(const QString &error)
{
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
}
