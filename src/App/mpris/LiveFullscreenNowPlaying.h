#pragma once

#include "mpris/NowPlayingSource.h"

#include <QObject>

class LiveFullscreenPlayback;

// The live full-screen view (a channel opened from search or favourites) as the desktop's media
// controls see it: the channel, pause, and closing the view.
class LiveFullscreenNowPlaying final : public QObject, public NowPlayingSource
{
    Q_OBJECT
public:
    // A child of the playback.
    explicit LiveFullscreenNowPlaying(LiveFullscreenPlayback *playback);
    ~LiveFullscreenNowPlaying() override;

    Track track() const override;
    bool betweenItems() const override;
    VLCEngine *engine() const override;

    void togglePause() override;
    void stop() override;

private:
    LiveFullscreenPlayback *m_playback;
};
