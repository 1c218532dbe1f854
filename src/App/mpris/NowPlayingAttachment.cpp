#include "mpris/NowPlayingAttachment.h"

#include "live/ChannelsScreen.h"
#include "live/LiveFullscreenPlayback.h"
#include "mpris/LiveFullscreenNowPlaying.h"
#include "mpris/LiveNowPlaying.h"
#include "mpris/MovieNowPlaying.h"
#include "player/PlayerModel.h"
#include "system/CreationHooks.h"

void NowPlayingAttachment::install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Each source is a child of what it observes and goes with it.
    CreationHooks<PlayerModel>::add([](PlayerModel *model) { new MovieNowPlaying(model, model->engine()); });
    CreationHooks<ChannelsScreen>::add([](ChannelsScreen *screen) { new LiveNowPlaying(screen); });
    CreationHooks<LiveFullscreenPlayback>::add(
        [](LiveFullscreenPlayback *playback) { new LiveFullscreenNowPlaying(playback); });
}
