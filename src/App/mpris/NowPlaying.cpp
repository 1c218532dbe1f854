#include "mpris/NowPlaying.h"

NowPlaying *NowPlaying::shared()
{
    static NowPlaying instance;
    return &instance;
}

void NowPlaying::claim(NowPlayingSource *source)
{
    m_source = source;
    Q_EMIT changed();
}

void NowPlaying::release(NowPlayingSource *source)
{
    if (m_source != source)
        return;
    m_source = nullptr;
    Q_EMIT changed();
}

void NowPlaying::update(NowPlayingSource *source)
{
    if (source && m_source == source)
        Q_EMIT changed();
}
