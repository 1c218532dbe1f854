#include "LibVlcPlayer.h"

#include "VideoSurface.h"

#include <vlc/vlc.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

const libvlc_event_type_t stateEvents[] = {
    libvlc_MediaPlayerOpening, libvlc_MediaPlayerBuffering,        libvlc_MediaPlayerPlaying,
    libvlc_MediaPlayerPaused,  libvlc_MediaPlayerStopped,          libvlc_MediaPlayerEndReached,
    libvlc_MediaPlayerEncounteredError, libvlc_MediaPlayerESAdded, libvlc_MediaPlayerTimeChanged,
};

void printLog(void *, int level, const libvlc_log_t *context, const char *format, va_list args)
{
    static const char *const levels[] = {"debug", "", "info", "warning", "error"};
    const char *module = nullptr;
    libvlc_log_get_context(context, &module, nullptr, nullptr);
    char message[1024];
    std::vsnprintf(message, sizeof message, format, args);
    std::fprintf(stderr, "[vlc %s] %s: %s\n", (level >= 0 && level <= 4) ? levels[level] : "",
                 module ? module : "", message);
}

void dropLog(void *, int, const libvlc_log_t *, const char *, va_list) {}

unsigned setupFormat(void **opaque, char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                     unsigned *lines)
{
    return static_cast<VideoSurface *>(*opaque)->setupFormat(chroma, width, height, pitches, lines);
}

void cleanupFormat(void *opaque)
{
    static_cast<VideoSurface *>(opaque)->cleanupFormat();
}

void *lockFrame(void *opaque, void **planes)
{
    return static_cast<VideoSurface *>(opaque)->lockFrame(planes);
}

void unlockFrame(void *opaque, void *picture, void *const *)
{
    static_cast<VideoSurface *>(opaque)->unlockFrame(picture);
}

void displayFrame(void *opaque, void *picture)
{
    static_cast<VideoSurface *>(opaque)->displayFrame(picture);
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

} // namespace

LibVlcPlayer::LibVlcPlayer(const QStringList &libraryOptions, bool debugLog, VideoSurface *surface)
{
    std::vector<QByteArray> encoded;
    for (const QString &option : libraryOptions)
        encoded.push_back(option.toUtf8());
    std::vector<const char *> argv;
    for (const QByteArray &option : encoded)
        argv.push_back(option.constData());
    m_vlc = libvlc_new(int(argv.size()), argv.data());
    if (!m_vlc)
        return;
    // The application has no log of its own: libVLC speaks only when asked to.
    libvlc_log_set(m_vlc, debugLog ? printLog : dropLog, nullptr);
    m_player = libvlc_media_player_new(m_vlc);
    if (!m_player)
        return;
    libvlc_video_set_callbacks(m_player, lockFrame, unlockFrame, displayFrame, surface);
    libvlc_video_set_format_callbacks(m_player, setupFormat, cleanupFormat);
    attachEvents(true);
}

LibVlcPlayer::~LibVlcPlayer()
{
    if (m_player) {
        // Synchronous: afterwards no frame and no event arrives any more.
        stop();
        attachEvents(false);
        libvlc_media_player_release(m_player);
    }
    if (m_vlc)
        libvlc_release(m_vlc);
}

void LibVlcPlayer::attachEvents(bool attach)
{
    libvlc_event_manager_t *events = libvlc_media_player_event_manager(m_player);
    for (libvlc_event_type_t type : stateEvents) {
        if (attach)
            libvlc_event_attach(events, type, &LibVlcPlayer::onEvent, this);
        else
            libvlc_event_detach(events, type, &LibVlcPlayer::onEvent, this);
    }
}

void LibVlcPlayer::onEvent(const libvlc_event_t *event, void *self)
{
    auto *player = static_cast<LibVlcPlayer *>(self);
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
    case libvlc_MediaPlayerStopped: {
        // libVLC 3 follows an error or the end with a "stopped" of its own as the input winds
        // down; only a stop that was asked for counts, so a failed or finished item stays so.
        const int last = player->m_state.load();
        if (!player->m_stopping && (last == Error || last == Ended))
            return;
        state = Stopped;
        break;
    }
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
        player->m_state = *state;
    player->notifyChanged(state);
}

void LibVlcPlayer::setMedia(const QUrl &url, const QStringList &options)
{
    m_mediaOptions = options;
    if (!m_player)
        return;
    libvlc_media_t *media = libvlc_media_new_location(m_vlc, url.toEncoded().constData());
    if (!media) {
        libvlc_media_player_set_media(m_player, nullptr);
        return;
    }
    for (const QString &option : options)
        libvlc_media_add_option(media, option.toUtf8().constData());
    libvlc_media_player_set_media(m_player, media);
    libvlc_media_release(media);
    m_state = Opening;
}

void LibVlcPlayer::play()
{
    if (!m_player || libvlc_media_player_play(m_player) != 0) {
        // No library or no media: say so the way a failing stream would.
        m_state = Error;
        notifyChanged(Error);
    }
}

void LibVlcPlayer::pause()
{
    if (m_player)
        libvlc_media_player_set_pause(m_player, 1);
}

void LibVlcPlayer::stop()
{
    if (!m_player)
        return;
    m_stopping = true;
    libvlc_media_player_stop(m_player);
    m_stopping = false;
}

void LibVlcPlayer::setTimeMs(qint32 ms)
{
    if (m_player)
        libvlc_media_player_set_time(m_player, ms);
}

void LibVlcPlayer::setAudioTrack(int index)
{
    if (m_player)
        libvlc_audio_set_track(m_player, index);
}

void LibVlcPlayer::setSubtitleTrack(int index)
{
    if (m_player)
        libvlc_video_set_spu(m_player, index);
}

bool LibVlcPlayer::isPlaying() const
{
    return m_player && libvlc_media_player_is_playing(m_player);
}

qint64 LibVlcPlayer::timeMs() const
{
    return m_player ? std::max<libvlc_time_t>(0, libvlc_media_player_get_time(m_player)) : 0;
}

qint64 LibVlcPlayer::mediaLengthMs() const
{
    if (!m_player)
        return 0;
    libvlc_media_t *media = libvlc_media_player_get_media(m_player);
    if (!media)
        return 0;
    const libvlc_time_t length = libvlc_media_get_duration(media);
    libvlc_media_release(media);
    return length;
}

QSize LibVlcPlayer::videoSize() const
{
    unsigned width = 0;
    unsigned height = 0;
    if (!m_player || libvlc_video_get_size(m_player, 0, &width, &height) != 0)
        return {};
    return QSize(int(width), int(height));
}

MediaPlayerBackend::TrackDescriptions LibVlcPlayer::audioTracks() const
{
    return m_player ? describe(libvlc_audio_get_track_description(m_player)) : TrackDescriptions{};
}

MediaPlayerBackend::TrackDescriptions LibVlcPlayer::subtitleTracks() const
{
    return m_player ? describe(libvlc_video_get_spu_description(m_player)) : TrackDescriptions{};
}
