#include "mpris/LiveFullscreenNowPlaying.h"

#include "live/LiveFullscreenPlayback.h"
#include "mpris/NowPlaying.h"

LiveFullscreenNowPlaying::LiveFullscreenNowPlaying(LiveFullscreenPlayback *playback)
    : QObject(playback), m_playback(playback)
{
    connect(playback, &LiveFullscreenPlayback::channelChanged, this,
            [this] { NowPlaying::shared()->claim(this); });
    connect(playback, &LivePlayback::reconnectingChanged, this,
            [this] { NowPlaying::shared()->update(this); });
}

LiveFullscreenNowPlaying::~LiveFullscreenNowPlaying()
{
    NowPlaying::shared()->release(this);
}

NowPlayingSource::Track LiveFullscreenNowPlaying::track() const
{
    const ChannelRow channel = m_playback->channel();
    return Track{
        QStringLiteral("live/") + channel.streamId(), channel.name(), {}, channel.iconURLText(), false};
}

bool LiveFullscreenNowPlaying::betweenItems() const
{
    return m_playback->reconnecting();
}

VLCEngine *LiveFullscreenNowPlaying::engine() const
{
    return m_playback->engine();
}

void LiveFullscreenNowPlaying::togglePause()
{
    m_playback->togglePause();
}

void LiveFullscreenNowPlaying::stop()
{
    m_playback->close();
}
