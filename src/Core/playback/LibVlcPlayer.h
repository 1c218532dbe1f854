#pragma once

#include "playback/MediaPlayerBackend.h"
#include "playback/PlayerRetirer.h"
#include "playback/VideoBuffer.h"

#include <chrono>
#include <memory>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;
class VideoSurface;

// libVLC 3 behind the engine's player interface. Its video goes through the memory callbacks into
// the given surface, which must outlive this player. Commands and queries are main-thread calls;
// libVLC's events only record the state and notify (never calling the player back from there).
//
// libVLC stops a player synchronously, joining its input thread, which may be stuck in a read of
// a server that stalls mid-segment. So each media plays on a libVLC player of its own: stop() hands
// the player to a background job that stops and releases it, and the next media gets a fresh one.
// A player let go of this way has its own frame sink (detached from the surface) and event relay
// (cut off from this object), so nothing it does afterwards reaches the engine or the screen.
class LibVlcPlayer final : public MediaPlayerBackend
{
public:
    // debugLog: libVLC's log lines (category norvane.vlc) turned on, as NORVANE_VLC_LOG asks.
    LibVlcPlayer(const QStringList &libraryOptions, bool debugLog, VideoSurface *surface);
    // Lets go of the current media and waits at most exitWait() for every player to wind down;
    // any still stuck then finishes alone, touching nothing of this object or of the surface.
    ~LibVlcPlayer() override;

    // False when libVLC refused the options; every media then ends in the error state.
    bool isValid() const { return m_vlc != nullptr; }

    void setMedia(const QUrl &url, const QStringList &options) override;
    void play() override;
    void pause() override;
    void stop() override;
    bool finishStopping() override;
    void setTimeMs(qint32 ms) override;
    void setAudioTrack(int index) override;
    void setSubtitleTrack(int index) override;
    void setVolume(int percent) override;
    void setMuted(bool muted) override;

    bool isPlaying() const override;
    qint64 timeMs() const override;
    qint64 mediaLengthMs() const override;
    PictureGeometry videoGeometry() const override;
    TrackDescriptions audioTracks() const override;
    TrackDescriptions subtitleTracks() const override;

    // The media options of the current media, as given (diagnostics and tests).
    QStringList mediaOptions() const { return m_mediaOptions; }
    // What libVLC's audio output says of the current media: its level in percent and its mute
    // switch (0 or 1); -1 without an output (diagnostics and tests).
    int outputVolume() const;
    int outputMuted() const;

    // How long the end of the application (and this player's destruction) waits for players to
    // wind down; tests shorten it.
    std::chrono::milliseconds exitWait() const { return m_exitWait; }
    void setExitWait(std::chrono::milliseconds wait) { m_exitWait = wait; }
    static constexpr std::chrono::milliseconds defaultExitWait{3000};
    // Players let go of whose winding down has not finished yet.
    int playersWindingDown() const { return m_retirer.pending(); }
    // The largest picture side shown; a larger picture fails the item. Tests lower it; applies to
    // the next media.
    void setMaxPictureSide(int side) { m_maxPictureSide = side; }

private:
    struct EventRelay;
    struct Session;
    static void onEvent(const libvlc_event_t *event, void *relay);
    // A fresh libVLC player for the remembered media; none when libVLC cannot make one.
    void startSession();
    // Cuts the current player off and hands it to a background job that stops and releases it.
    void retireSession();
    libvlc_media_player_t *current() const;
    // The remembered sound level and mute switch, given to the current player.
    void applyAudio() const;

    libvlc_instance_t *m_vlc = nullptr;
    VideoSurface *m_surface = nullptr;
    std::unique_ptr<Session> m_session;
    PlayerRetirer m_retirer;
    std::chrono::milliseconds m_exitWait = defaultExitWait;
    int m_maxPictureSide = VideoBuffer::maxSide;
    // The media last given, started again by play() after a stop.
    QUrl m_url;
    QStringList m_mediaOptions;
    // Each media has a player of its own: the sound settings live here and go to every new one.
    int m_volume = 100;
    bool m_muted = false;
};
