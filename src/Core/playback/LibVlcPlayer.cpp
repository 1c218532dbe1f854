#include "playback/LibVlcPlayer.h"

#include "playback/VideoBuffer.h"
#include "playback/VideoFrameSink.h"
#include "system/LogRedaction.h"
#include "system/Logging.h"

#include <vlc/vlc.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

const libvlc_event_type_t stateEvents[] = {
    libvlc_MediaPlayerOpening,          libvlc_MediaPlayerBuffering, libvlc_MediaPlayerPlaying,
    libvlc_MediaPlayerPaused,           libvlc_MediaPlayerStopped,   libvlc_MediaPlayerEndReached,
    libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerESAdded,   libvlc_MediaPlayerTimeChanged,
};

// libVLC's log, on its threads, into its category. Its errors are warnings here: a stream that
// fails is no fault of the application, and a normal run prints nothing.
void forwardLog(void *, int level, const libvlc_log_t *context, const char *format, va_list args)
{
    const QtMsgType type = level <= LIBVLC_DEBUG    ? QtDebugMsg
                           : level <= LIBVLC_NOTICE ? QtInfoMsg
                                                    : QtWarningMsg;
    if (!lcVlc().isEnabled(type))
        return;
    const char *module = nullptr;
    libvlc_log_get_context(context, &module, nullptr, nullptr);
    char message[1024];
    std::vsnprintf(message, sizeof message, format, args);
    const QString line = LogRedaction::withoutCredentials(QString::fromUtf8(module ? module : "") +
                                                          QStringLiteral(": ") + QString::fromUtf8(message));
    switch (type) {
    case QtDebugMsg:
        qCDebug(lcVlc).noquote() << line;
        break;
    case QtInfoMsg:
        qCInfo(lcVlc).noquote() << line;
        break;
    default:
        qCWarning(lcVlc).noquote() << line;
    }
}

unsigned setupFormat(void **opaque, char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                     unsigned *lines)
{
    return static_cast<VideoFrameSink *>(*opaque)->setupFormat(chroma, width, height, pitches, lines);
}

void cleanupFormat(void *opaque)
{
    static_cast<VideoFrameSink *>(opaque)->cleanupFormat();
}

void *lockFrame(void *opaque, void **planes)
{
    return static_cast<VideoFrameSink *>(opaque)->lockFrame(planes);
}

void unlockFrame(void *opaque, void *picture, void *const *)
{
    static_cast<VideoFrameSink *>(opaque)->unlockFrame(picture);
}

void displayFrame(void *opaque, void *picture)
{
    static_cast<VideoFrameSink *>(opaque)->displayFrame(picture);
}

// The first video track's geometry as the media has learnt it. Asks the media only, never a
// player, so any thread may call it while the player that plays the media is being stopped.
PictureGeometry geometryOf(libvlc_media_t *media)
{
    PictureGeometry geometry;
    if (!media)
        return geometry;
    libvlc_media_track_t **tracks = nullptr;
    const unsigned count = libvlc_media_tracks_get(media, &tracks);
    for (unsigned i = 0; i < count; ++i) {
        const libvlc_media_track_t *track = tracks[i];
        if (track->i_type != libvlc_track_video || !track->video)
            continue;
        const libvlc_video_track_t &video = *track->video;
        if (video.i_width <= unsigned(VideoBuffer::maxSide) &&
            video.i_height <= unsigned(VideoBuffer::maxSide))
            geometry = {QSize(int(video.i_width), int(video.i_height)), video.i_sar_num, video.i_sar_den};
        break;
    }
    if (tracks)
        libvlc_media_tracks_release(tracks, count);
    return geometry;
}

MediaPlayerBackend::TrackDescriptions describe(libvlc_track_description_t *list)
{
    MediaPlayerBackend::TrackDescriptions tracks;
    for (libvlc_track_description_t *t = list; t; t = t->p_next) {
        tracks.names.append(t->psz_name ? QVariant(QString::fromUtf8(t->psz_name)) : QVariant());
        tracks.indexes.append(t->i_id);
    }
    libvlc_track_description_list_release(list);
    return tracks;
}

void subscribe(libvlc_media_player_t *player, libvlc_callback_t callback, void *data, bool attach)
{
    libvlc_event_manager_t *events = libvlc_media_player_event_manager(player);
    for (libvlc_event_type_t type : stateEvents) {
        if (attach)
            libvlc_event_attach(events, type, callback, data);
        else
            libvlc_event_detach(events, type, callback, data);
    }
}

} // namespace

// Where one libVLC player's events go. Cut off (owner null) when the player is let go of; the
// check and the notification happen under the lock, so once cut off, nothing more gets through.
struct LibVlcPlayer::EventRelay
{
    explicit EventRelay(LibVlcPlayer *player) : owner(player) {}

    // The picture cannot be shown (the frame sink refused it): the item has failed, whatever
    // libVLC goes on saying. Any thread.
    void fail()
    {
        std::lock_guard lock(mutex);
        if (!owner || state == Error)
            return;
        state = Error;
        owner->notifyChanged(Error);
    }
    bool hasFailed()
    {
        std::lock_guard lock(mutex);
        return state == Error;
    }

    std::mutex mutex;
    LibVlcPlayer *owner;
    // The last state reported.
    int state = Opening;
};

// One libVLC player with what its callbacks use. The job that winds the player down shares the
// sink and the relay, so they outlive the player whatever happens to this object.
struct LibVlcPlayer::Session
{
    libvlc_media_player_t *player = nullptr;
    // Our own hold on the media: its geometry is read from it, never through the player.
    std::shared_ptr<libvlc_media_t> media;
    std::shared_ptr<VideoFrameSink> sink;
    std::shared_ptr<EventRelay> relay;
};

LibVlcPlayer::LibVlcPlayer(const QStringList &libraryOptions, bool debugLog, VideoSurface *surface)
    : m_surface(surface)
{
    // Quiet: the decoders libVLC uses (libavcodec) would otherwise write their complaints about
    // a damaged stream straight to standard error. libVLC's own log still reaches forwardLog.
    std::vector<QByteArray> encoded{QByteArrayLiteral("--quiet")};
    for (const QString &option : libraryOptions)
        encoded.push_back(option.toUtf8());
    std::vector<const char *> argv;
    for (const QByteArray &option : encoded)
        argv.push_back(option.constData());
    if (debugLog)
        QLoggingCategory::setFilterRules(QStringLiteral("norvane.vlc=true"));
    m_vlc = libvlc_new(int(argv.size()), argv.data());
    if (!m_vlc)
        return;
    libvlc_log_set(m_vlc, forwardLog, nullptr);
}

LibVlcPlayer::~LibVlcPlayer()
{
    retireSession();
    // Players still stuck after the wait hold their own reference to the library.
    m_retirer.waitUntilIdle(m_exitWait);
    if (m_vlc)
        libvlc_release(m_vlc);
}

void LibVlcPlayer::startSession()
{
    if (!m_vlc)
        return;
    libvlc_media_player_t *player = libvlc_media_player_new(m_vlc);
    if (!player)
        return;
    auto session = std::make_unique<Session>();
    session->player = player;
    if (libvlc_media_t *media = libvlc_media_new_location(m_vlc, m_url.toEncoded().constData())) {
        for (const QString &option : std::as_const(m_mediaOptions))
            libvlc_media_add_option(media, option.toUtf8().constData());
        libvlc_media_player_set_media(player, media);
        session->media.reset(media, libvlc_media_release);
    }
    session->relay = std::make_shared<EventRelay>(this);
    // The sink's callbacks run on libVLC's threads, while a stop of this very player may be under
    // way on the retirer's: they touch the media and the relay, which they hold, never the player.
    session->sink = std::make_shared<VideoFrameSink>(
        m_surface, [media = session->media] { return geometryOf(media.get()); },
        [relay = session->relay] { relay->fail(); });
    session->sink->setMaxSide(m_maxPictureSide);
    libvlc_video_set_callbacks(player, lockFrame, unlockFrame, displayFrame, session->sink.get());
    libvlc_video_set_format_callbacks(player, setupFormat, cleanupFormat);
    subscribe(player, &LibVlcPlayer::onEvent, session->relay.get(), true);
    m_session = std::move(session);
    applyAudio();
}

void LibVlcPlayer::retireSession()
{
    if (!m_session)
        return;
    const std::unique_ptr<Session> session = std::move(m_session);
    {
        std::lock_guard lock(session->relay->mutex);
        session->relay->owner = nullptr;
    }
    session->sink->detach();
    // Stopping may wait for a stalled read; the sink and the relay go with the job, after the
    // player that calls them.
    m_retirer.retire([player = session->player, sink = session->sink, relay = session->relay] {
        libvlc_media_player_stop(player);
        subscribe(player, &LibVlcPlayer::onEvent, relay.get(), false);
        libvlc_media_player_release(player);
    });
}

libvlc_media_player_t *LibVlcPlayer::current() const
{
    return m_session ? m_session->player : nullptr;
}

void LibVlcPlayer::onEvent(const libvlc_event_t *event, void *data)
{
    auto *relay = static_cast<EventRelay *>(data);
    std::lock_guard lock(relay->mutex);
    if (!relay->owner)
        return; // a player let go of: nothing of it reaches the engine any more
    if (relay->state == Error)
        return; // a failed item stays failed, even while libVLC plays on (its sound)
    std::optional<int> state;
    switch (event->type) {
    case libvlc_MediaPlayerOpening:
        state = Opening;
        break;
    case libvlc_MediaPlayerBuffering:
        state = Buffering;
        break;
    case libvlc_MediaPlayerPlaying:
        state = Playing;
        break;
    case libvlc_MediaPlayerPaused:
        state = Paused;
        break;
    case libvlc_MediaPlayerStopped:
        // libVLC 3 follows an error or the end with a "stopped" of its own as the input winds
        // down; a failed or finished item stays so. (A stop that we ask for cuts the relay off
        // first, so its "stopped" never gets here.)
        if (relay->state == Ended)
            return;
        state = Stopped;
        break;
    case libvlc_MediaPlayerEndReached:
        state = Ended;
        break;
    case libvlc_MediaPlayerEncounteredError:
        state = Error;
        break;
    case libvlc_MediaPlayerESAdded:
        state = ElementaryStreamAdded;
        break;
    default:
        break; // a time change: the state stays as it is
    }
    if (state)
        relay->state = *state;
    relay->owner->notifyChanged(state);
}

void LibVlcPlayer::setMedia(const QUrl &url, const QStringList &options)
{
    // A libVLC player is never given a second media: replacing it would stop it right here.
    retireSession();
    m_url = url;
    m_mediaOptions = options;
    startSession();
}

void LibVlcPlayer::play()
{
    // After a stop, the same media again from its start, as a stopped libVLC player would do.
    if (!m_session && !m_url.isEmpty())
        startSession();
    if (!m_session || libvlc_media_player_play(m_session->player) != 0) {
        // No library or no media: say so the way a failing stream would.
        if (m_session) {
            std::lock_guard lock(m_session->relay->mutex);
            m_session->relay->state = Error;
        }
        notifyChanged(Error);
    }
}

void LibVlcPlayer::pause()
{
    if (libvlc_media_player_t *player = current())
        libvlc_media_player_set_pause(player, 1);
}

void LibVlcPlayer::stop()
{
    retireSession();
}

bool LibVlcPlayer::finishStopping()
{
    return m_retirer.waitUntilIdle(m_exitWait);
}

void LibVlcPlayer::setTimeMs(qint32 ms)
{
    if (libvlc_media_player_t *player = current())
        libvlc_media_player_set_time(player, ms);
}

void LibVlcPlayer::setAudioTrack(int index)
{
    if (libvlc_media_player_t *player = current())
        libvlc_audio_set_track(player, index);
}

void LibVlcPlayer::setSubtitleTrack(int index)
{
    if (libvlc_media_player_t *player = current())
        libvlc_video_set_spu(player, index);
}

void LibVlcPlayer::setVolume(int percent)
{
    m_volume = percent;
    applyAudio();
}

void LibVlcPlayer::setMuted(bool muted)
{
    m_muted = muted;
    applyAudio();
}

void LibVlcPlayer::applyAudio() const
{
    // Without an audio output (none yet, or no device) libVLC refuses both; the engine gives them
    // again once the media plays.
    if (libvlc_media_player_t *player = current()) {
        libvlc_audio_set_volume(player, m_volume);
        libvlc_audio_set_mute(player, m_muted ? 1 : 0);
    }
}

int LibVlcPlayer::outputVolume() const
{
    libvlc_media_player_t *player = current();
    return player ? libvlc_audio_get_volume(player) : -1;
}

int LibVlcPlayer::outputMuted() const
{
    libvlc_media_player_t *player = current();
    return player ? libvlc_audio_get_mute(player) : -1;
}

bool LibVlcPlayer::isPlaying() const
{
    libvlc_media_player_t *player = current();
    return player && !m_session->relay->hasFailed() && libvlc_media_player_is_playing(player);
}

qint64 LibVlcPlayer::timeMs() const
{
    libvlc_media_player_t *player = current();
    return player ? std::max<libvlc_time_t>(0, libvlc_media_player_get_time(player)) : 0;
}

qint64 LibVlcPlayer::mediaLengthMs() const
{
    libvlc_media_player_t *player = current();
    if (!player)
        return 0;
    libvlc_media_t *media = libvlc_media_player_get_media(player);
    if (!media)
        return 0;
    const libvlc_time_t length = libvlc_media_get_duration(media);
    libvlc_media_release(media);
    return length;
}

PictureGeometry LibVlcPlayer::videoGeometry() const
{
    return m_session ? geometryOf(m_session->media.get()) : PictureGeometry();
}

MediaPlayerBackend::TrackDescriptions LibVlcPlayer::audioTracks() const
{
    libvlc_media_player_t *player = current();
    return player ? describe(libvlc_audio_get_track_description(player)) : TrackDescriptions{};
}

MediaPlayerBackend::TrackDescriptions LibVlcPlayer::subtitleTracks() const
{
    libvlc_media_player_t *player = current();
    return player ? describe(libvlc_video_get_spu_description(player)) : TrackDescriptions{};
}
