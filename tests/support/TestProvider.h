#pragma once

#include "SampleMedia.h"
#include "client/XtreamClient.h"

#include <QDebug>

namespace norvane::test {

// The client signed in to a test provider (SampleProvider or SampleProviderThread).
template <typename Provider> XtreamClient clientOf(Provider &provider)
{
    return XtreamClient(provider.baseUrl(), provider.username(), provider.password());
}

// For a program that plays: the shared engine without a sound device (set before it exists), the
// ffmpeg samples made, the provider listening on loopback. False, with the reason, on failure.
template <typename Provider> bool startPlaybackProvider(Provider &provider)
{
    qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
    if (!SampleMedia::ensureAll()) {
        qWarning().noquote() << SampleMedia::lastError();
        return false;
    }
    return provider.listenOn();
}

} // namespace norvane::test
