#pragma once

#include "playback/MediaPlayerBackend.h"
#include "playback/Track.h"
#include "playback/VideoSurface.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QtQml/qqmlregistration.h>
#include <atomic>
#include <memory>
#include <optional>

class QJSEngine;
class QQmlEngine;

// The application's one media player. Every screen that plays something drives this engine;
// starting an item replaces what played before. It turns the player's callbacks into a small
// status machine with position and length in milliseconds, and offers simplified track lists.
// Main thread only: the player's callbacks are re-queued onto it before any state is touched.
class VLCEngine : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(Status status READ status NOTIFY statusChanged FINAL)
    Q_PROPERTY(qint64 currentTimeMs READ currentTimeMs NOTIFY currentTimeMsChanged FINAL)
    Q_PROPERTY(qint64 durationMs READ durationMs NOTIFY durationMsChanged FINAL)
    Q_PROPERTY(QList<Track> audioTracks READ audioTracks NOTIFY audioTracksChanged FINAL)
    Q_PROPERTY(QList<Track> subtitleTracks READ subtitleTracks NOTIFY subtitleTracksChanged FINAL)
    Q_PROPERTY(bool fillScreen READ fillScreen WRITE setFillScreen NOTIFY fillScreenChanged FINAL)
    Q_PROPERTY(int volume READ volume WRITE setVolume NOTIFY volumeChanged FINAL)
    Q_PROPERTY(bool muted READ muted WRITE setMuted NOTIFY mutedChanged FINAL)
public:
    enum class Status { Idle, Opening, Buffering, Playing, Paused, Stopped, Ended, Error };
    Q_ENUM(Status)

    // The sound level in percent, and where it and the mute switch are kept between runs.
    static constexpr int maxVolume = 100;
    static constexpr int defaultVolume = 100;
    static inline const QString volumeKey = QStringLiteral("playback/volume");
    static inline const QString mutedKey = QStringLiteral("playback/muted");
    // The level the last run left; the default when there is none or it is not a number.
    static int storedVolume();

    // An engine on a player of the caller's choosing (tests); the shared one plays through libVLC.
    explicit VLCEngine(std::unique_ptr<MediaPlayerBackend> player, std::unique_ptr<VideoSurface> surface,
                       QObject *parent = nullptr);
    ~VLCEngine() override;

    static VLCEngine *shared();
    // The shared engine when something has already created it, else null (never creates it).
    static VLCEngine *existing();
    static VLCEngine *create(QQmlEngine *, QJSEngine *);

    // The media library's options: the fixed ones, then NORVANE_VLC_OPTS split at every ",".
    static QStringList libraryOptions(const std::optional<QString> &extraOptions);
    static QStringList libraryOptionsFromEnvironment();
    // The status after a player callback: playing whenever the player says so, else its state.
    static Status statusFor(bool isPlaying, int playerState, Status current);
    // The tracks offered to the user: Spanish and English ones labelled in Spanish, or, when there
    // are none of those, every real track under the player's own name.
    static QList<Track> simplify(const QVariantList &names, const QVariantList &indexes);
    // The status's name as the diagnostic line writes it ("playing").
    static QString statusName(Status status);
    // The diagnostic line for one callback, without the line break.
    static QString diagnosticLine(Status status, qint64 timeMs, const QSize &videoSize);

    Status status() const { return m_status; }
    qint64 currentTimeMs() const { return m_currentTimeMs; }
    qint64 durationMs() const { return m_durationMs; }
    QList<Track> audioTracks() const { return m_audioTracks; }
    QList<Track> subtitleTracks() const { return m_subtitleTracks; }
    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill);
    int volume() const { return m_volume; }
    // Clamped to 0..maxVolume; remembered in the settings file.
    void setVolume(int percent);
    bool muted() const { return m_muted; }
    void setMuted(bool muted);

    VideoSurface *surface() const { return m_surface.get(); }
    MediaPlayerBackend *player() const { return m_player.get(); }

    // Starts the address from the given whole second (0: from the start). An address that does
    // not parse changes nothing.
    Q_INVOKABLE void play(const QString &urlString, int startTimeSeconds = 0);
    Q_INVOKABLE void stop();
    Q_INVOKABLE void pause();
    // Pauses only when the player reports that it is playing (the app going to the background).
    void pauseIfPlaying();
    // Something is on its way or on screen, so pausing or resuming means something: not before
    // the first item, after a stop, at an item's end or on an error (resuming those would start
    // the failed or finished item again).
    bool isUnderway() const;
    // Pauses while the player plays, resumes otherwise; only while underway.
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void seek(qint32 ms);
    Q_INVOKABLE void selectAudioTrack(int id);
    // -1 switches subtitles off.
    Q_INVOKABLE void selectSubtitleTrack(int id);
    // Moves the volume by `delta` percent, within 0..maxVolume.
    Q_INVOKABLE void changeVolume(int delta);
    Q_INVOKABLE void toggleMute();

    // Whether each callback writes the diagnostic line (NORVANE_VLC_LOG); read once at creation.
    void setDiagnostics(bool on) { m_diagnostics = on; }

Q_SIGNALS:
    void statusChanged();
    void currentTimeMsChanged();
    void durationMsChanged();
    void audioTracksChanged();
    void subtitleTracksChanged();
    void fillScreenChanged();
    void volumeChanged();
    void mutedChanged();
    // Every seek asked of the player, with its target: the position reported through the next
    // callbacks follows only once the player has got there.
    void seekRequested(qint64 targetMs);

private:
    // Stops and waits (bounded) for every player to wind down: the application's end.
    void windDown();
    void syncFromPlayer(std::optional<int> playerState);
    void letGoOfFailedMedia();
    void refreshTracks();
    // Gives the player the sound level and the mute switch (each new media starts without them).
    void applyAudio();
    void setStatus(Status status);
    void setCurrentTimeMs(qint64 ms);
    void setDurationMs(qint64 ms);
    void setAudioTracks(const QList<Track> &tracks);
    void setSubtitleTracks(const QList<Track> &tracks);

    Status m_status = Status::Idle;
    qint64 m_currentTimeMs = 0;
    qint64 m_durationMs = 0;
    QList<Track> m_audioTracks;
    QList<Track> m_subtitleTracks;
    bool m_fillScreen = false;
    int m_volume = defaultVolume;
    bool m_muted = false;
    bool m_diagnostics = false;
    // The player's state as its callbacks have told it so far (main thread).
    int m_playerState = MediaPlayerBackend::Stopped;
    // One number per media given to the player (and per stop). Callbacks carry the number that
    // was current when they fired, so those of a media that play() replaced or stop() let go of
    // and that were still queued are dropped.
    std::atomic<quint64> m_mediaGeneration{0};

    // The surface outlives the player, which hands it pictures until it is destroyed.
    std::unique_ptr<VideoSurface> m_surface;
    std::unique_ptr<MediaPlayerBackend> m_player;
};
