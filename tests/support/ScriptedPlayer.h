#pragma once

#include "playback/MediaPlayerBackend.h"
#include "playback/VLCEngine.h"

#include <QCoreApplication>

#include <QStringList>
#include <memory>
#include <thread>

namespace norvane::test {

// A media player whose state the test writes; it reports changes the way libVLC does, from a
// thread of its own, so the engine's re-queueing is exercised too.
class ScriptedPlayer final : public MediaPlayerBackend
{
public:
    // What the engine read and asked for.
    QStringList calls;
    QUrl url;
    QStringList options;
    qint32 lastSeekMs = -1;
    int audioTrack = -2;
    int subtitleTrack = -2;
    int volume = -1;
    int muted = -1; // -1 until the engine says, then 0 or 1

    // What the player reports.
    bool playing = false;
    qint64 time = 0;
    qint64 length = 0;
    PictureGeometry geometry;
    TrackDescriptions audio;
    TrackDescriptions subtitles;

    // One callback, from another thread (the engine handles it later on the main thread): a
    // state change, or a time change when no state is given.
    void report(std::optional<int> state = std::nullopt) const
    {
        std::thread([this, state] { notifyChanged(state); }).join();
    }
    void report(int state, bool isPlaying, qint64 timeMs = 0)
    {
        playing = isPlaying;
        time = timeMs;
        report(std::optional<int>(state));
    }

    void setMedia(const QUrl &u, const QStringList &o) override
    {
        calls << QStringLiteral("setMedia");
        url = u;
        options = o;
        // Each media has a fresh player, which knows nothing of the sound settings.
        volume = -1;
        muted = -1;
    }
    void play() override { calls << QStringLiteral("play"); }
    void pause() override { calls << QStringLiteral("pause"); }
    // Stopping reports "stopped" at once, on the caller's thread: a callback of the media let go
    // of, which the engine must not count for what comes next.
    void stop() override
    {
        calls << QStringLiteral("stop");
        playing = false;
        notifyChanged(Stopped);
    }
    void setTimeMs(qint32 ms) override
    {
        calls << QStringLiteral("seek");
        lastSeekMs = ms;
    }
    void setAudioTrack(int index) override { audioTrack = index; }
    void setSubtitleTrack(int index) override { subtitleTrack = index; }
    void setVolume(int percent) override { volume = percent; }
    void setMuted(bool mute) override { muted = mute ? 1 : 0; }

    bool isPlaying() const override { return playing; }
    qint64 timeMs() const override { return time; }
    qint64 mediaLengthMs() const override { return length; }
    PictureGeometry videoGeometry() const override { return geometry; }
    TrackDescriptions audioTracks() const override { return audio; }
    TrackDescriptions subtitleTracks() const override { return subtitles; }
};

// An engine of its own over a scripted player.
struct ScriptedEngine
{
    ScriptedEngine()
    {
        auto owned = std::make_unique<ScriptedPlayer>();
        player = owned.get();
        engine = std::make_unique<VLCEngine>(std::move(owned), nullptr);
    }
    // Lets the queued callbacks run.
    static void settle() { QCoreApplication::processEvents(); }

    ScriptedPlayer *player = nullptr;
    std::unique_ptr<VLCEngine> engine;
};

} // namespace norvane::test
