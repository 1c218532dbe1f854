#include "live/LivePlayback.h"

LivePlayback::LivePlayback(VLCEngine *engine, bool canZap, QObject *parent)
    : PlaybackController(engine, parent), m_canZap(canZap)
{
    keys()->setLive(true);
}

void LivePlayback::videoClicked()
{
    controls()->toggleControls();
}

bool LivePlayback::controlsSetAside() const
{
    return !m_error.isEmpty();
}

bool LivePlayback::pauseRefused() const
{
    return !m_error.isEmpty() || m_reconnecting;
}

void LivePlayback::setChannelName(const QString &name)
{
    if (m_channelName == name)
        return;
    m_channelName = name;
    Q_EMIT channelNameChanged();
}

void LivePlayback::setError(const QString &error)
{
    if (m_error == error)
        return;
    m_error = error;
    Q_EMIT errorChanged();
    refresh();
}

void LivePlayback::setReconnecting(bool reconnecting)
{
    if (m_reconnecting == reconnecting)
        return;
    m_reconnecting = reconnecting;
    Q_EMIT reconnectingChanged();
    refresh();
}
