#include "NowPlayingAttachment.h"

#include "ChannelsScreen.h"
#include "CreationHooks.h"
#include "LiveFullscreenNowPlaying.h"
#include "LiveFullscreenPlayback.h"
#include "LiveNowPlaying.h"
#include "MovieNowPlaying.h"
#include "PlayerModel.h"

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
