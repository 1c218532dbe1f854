#pragma once

#include "playback/PictureGeometry.h"

#include <QSize>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <functional>
#include <optional>

// What the engine asks of a media player. The real one is libVLC (LibVlcPlayer); tests put a
// scripted player in its place to exercise the engine's rules without any media.
class MediaPlayerBackend
{
public:
    // Player states, numbered as the engine's status table reads them.
    enum State : int {
        Stopped = 0,
        Opening = 1,
        Buffering = 2,
        Ended = 3,
        Error = 4,
        Playing = 5,
        Paused = 6,
        ElementaryStreamAdded = 7,
    };

    // Track labels and the player's indexes, paired by position. A name that the player did not
    // give is a null QVariant.
    struct TrackDescriptions
    {
        QVariantList names;
        QVariantList indexes;
    };

    virtual ~MediaPlayerBackend() = default;

    // Called on any thread after every state change (with the new state) and every time change
    // (without one) of the player. Set before the first media is given; the callee must not call
    // back into the player from there.
    using ChangeCallback = std::function<void(std::optional<int> state)>;
    void setChangeCallback(ChangeCallback callback) { m_changed = std::move(callback); }

    // Replaces the media (the player must be stopped first) with the address and media options.
    virtual void setMedia(const QUrl &url, const QStringList &options) = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    // Lets go of the current media without waiting for it to wind down (that may take as long as
    // a stalled network read): no callback of that media arrives once this returns, and its video
    // no longer reaches the surface. play() afterwards starts the same media again.
    virtual void stop() = 0;
    // Waits, at most as long as the player allows at exit, for what stop() let go of to wind
    // down; true when all of it has. Only for the end of the application.
    virtual bool finishStopping() { return true; }
    virtual void setTimeMs(qint32 ms) = 0;
    virtual void setAudioTrack(int index) = 0;
    virtual void setSubtitleTrack(int index) = 0;
    // The sound level in percent (0..100) and the mute switch, for the current media and every one
    // given after it.
    virtual void setVolume(int percent) = 0;
    virtual void setMuted(bool muted) = 0;

    virtual bool isPlaying() const = 0;
    virtual qint64 timeMs() const = 0;
    // Length of the current media in milliseconds; 0 or less while unknown (live streams).
    virtual qint64 mediaLengthMs() const = 0;
    // The current picture's size and pixel shape; unknown while the stream has not told.
    virtual PictureGeometry videoGeometry() const = 0;
    virtual TrackDescriptions audioTracks() const = 0;
    virtual TrackDescriptions subtitleTracks() const = 0;

protected:
    void notifyChanged(std::optional<int> state) const
    {
        if (m_changed)
            m_changed(state);
    }

private:
    ChangeCallback m_changed;
};
