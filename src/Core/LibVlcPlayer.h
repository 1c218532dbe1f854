#pragma once

#include "MediaPlayerBackend.h"

#include <atomic>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_event_t;
class VideoSurface;

// libVLC 3 behind the engine's player interface. Its video goes through the memory callbacks into
// the given surface, which must outlive this player. Commands and queries are main-thread calls;
// libVLC's events only record the state and notify (never calling the player back from there).
class LibVlcPlayer final : public MediaPlayerBackend
{
public:
    LibVlcPlayer(const QStringList &libraryOptions, bool debugLog, VideoSurface *surface);
    ~LibVlcPlayer() override;

    // False when libVLC refused the options; every media then ends in the error state.
    bool isValid() const { return m_player != nullptr; }

    void setMedia(const QUrl &url, const QStringList &options) override;
    void play() override;
    void pause() override;
    void stop() override;
    void setTimeMs(qint32 ms) override;
    void setAudioTrack(int index) override;
    void setSubtitleTrack(int index) override;

    bool isPlaying() const override;
    qint64 timeMs() const override;
    qint64 mediaLengthMs() const override;
    QSize videoSize() const override;
    TrackDescriptions audioTracks() const override;
    TrackDescriptions subtitleTracks() const override;

    // The media options of the current media, as given (diagnostics and tests).
    QStringList mediaOptions() const { return m_mediaOptions; }

private:
    static void onEvent(const libvlc_event_t *event, void *self);
    void attachEvents(bool attach);

    libvlc_instance_t *m_vlc = nullptr;
    libvlc_media_player_t *m_player = nullptr;
    // The last state reported, and whether a stop that we asked for is under way.
    std::atomic_int m_state{Stopped};
    std::atomic_bool m_stopping{false};
    QStringList m_mediaOptions;
};
