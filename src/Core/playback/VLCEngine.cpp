#include "playback/VLCEngine.h"

#include "playback/LibVlcPlayer.h"
#include "playback/VideoSurface.h"
#include "storage/AppSettings.h"
#include "system/Logging.h"

#include <QCoreApplication>
#include <QQmlEngine>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

bool environmentHas(const char *name)
{
    return qEnvironmentVariableIsSet(name);
}

// Adds one track under a Spanish or English label; false when the name is in neither language.
bool addLanguageTrack(QList<Track> &tracks, int index, const QString &name, int &spanish, int &english)
{
    const QString lower = name.toLower();
    const auto containsAny = [&lower](std::initializer_list<const char *> needles) {
        for (const char *needle : needles)
            if (lower.contains(QLatin1String(needle)))
                return true;
        return false;
    };
    const auto label = [](const QString &base, int count) {
        return count == 1 ? base : base + QLatin1Char(' ') + QString::number(count);
    };
    if (containsAny({"spa", "esp", "cast", "lat"})) {
        tracks.append(Track(index, label(QStringLiteral("Español"), ++spanish)));
        return true;
    }
    if (containsAny({"eng", "ingl"})) {
        tracks.append(Track(index, label(QStringLiteral("Inglés"), ++english)));
        return true;
    }
    return false;
}

int clampedVolume(qint64 percent)
{
    return int(std::clamp<qint64>(percent, 0, VLCEngine::maxVolume));
}

bool isNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace

VLCEngine::VLCEngine(std::unique_ptr<MediaPlayerBackend> player, std::unique_ptr<VideoSurface> surface,
                     QObject *parent)
    : QObject(parent), m_surface(std::move(surface)), m_player(std::move(player))
{
    if (!m_surface)
        m_surface = std::make_unique<VideoSurface>();
    m_surface->setFillScreen(false);
    // Runs on the player's threads: only queue the work. Queued calls still pending when the
    // engine goes are dropped with it, and the player is cut off before that can happen.
    m_player->setChangeCallback([this](std::optional<int> playerState) {
        const quint64 generation = m_mediaGeneration.load();
        QMetaObject::invokeMethod(
            this,
            [this, playerState, generation] {
                if (generation == m_mediaGeneration.load())
                    syncFromPlayer(playerState);
            },
            Qt::QueuedConnection);
    });
    // Asked on the main thread as pictures arrive; holds the player itself rather than m_player,
    // which is already empty while the destructor stops the player.
    m_surface->setGeometrySource([player = m_player.get()] { return player->videoGeometry(); });
    m_volume = storedVolume();
    m_muted = AppSettings::value(mutedKey, false).toBool();
    applyAudio();
}

VLCEngine::~VLCEngine()
{
    // Cuts the player's callbacks and video off before the surface that it draws into goes.
    m_player.reset();
}

void VLCEngine::windDown()
{
    stop();
    // The end of the application: the window is gone, so waiting here (bounded) holds nothing up,
    // and players stopped earlier are not left half-way while the process goes.
    m_player->finishStopping();
}

namespace {
VLCEngine *sharedEngine = nullptr;
}

VLCEngine *VLCEngine::existing()
{
    return sharedEngine;
}

VLCEngine *VLCEngine::shared()
{
    static VLCEngine *engine = [] {
        auto surface = std::make_unique<VideoSurface>();
        auto player = std::make_unique<LibVlcPlayer>(libraryOptionsFromEnvironment(),
                                                     environmentHas("NORVANE_VLC_LOG"), surface.get());
        auto *created = new VLCEngine(std::move(player), std::move(surface));
        created->setDiagnostics(environmentHas("NORVANE_VLC_LOG"));
        // The engine lives as long as the process; its players must be quiet before Qt winds down.
        if (QCoreApplication *app = QCoreApplication::instance())
            QObject::connect(app, &QCoreApplication::aboutToQuit, created,
                             [created] { created->windDown(); });
        // Programs that never run the event loop (tests) still let stopped players finish before
        // the process tears down the libraries that those players run in.
        qAddPostRoutine([] {
            if (sharedEngine)
                sharedEngine->m_player->finishStopping();
        });
        sharedEngine = created;
        return created;
    }();
    return engine;
}

VLCEngine *VLCEngine::create(QQmlEngine *, QJSEngine *)
{
    VLCEngine *engine = shared();
    QQmlEngine::setObjectOwnership(engine, QQmlEngine::CppOwnership);
    return engine;
}

QStringList VLCEngine::libraryOptions(const std::optional<QString> &extraOptions)
{
    QStringList options{QStringLiteral("--network-caching=3000"), QStringLiteral("--no-drop-late-frames"),
                        QStringLiteral("--no-skip-frames"), QStringLiteral("--audio-time-stretch")};
    if (extraOptions)
        options += extraOptions->split(QLatin1Char(','), Qt::SkipEmptyParts);
    return options;
}

QStringList VLCEngine::libraryOptionsFromEnvironment()
{
    if (!environmentHas("NORVANE_VLC_OPTS"))
        return libraryOptions(std::nullopt);
    return libraryOptions(qEnvironmentVariable("NORVANE_VLC_OPTS"));
}

VLCEngine::Status VLCEngine::statusFor(bool isPlaying, int playerState, Status current)
{
    if (isPlaying)
        return Status::Playing;
    switch (playerState) {
    case MediaPlayerBackend::Stopped:
        return Status::Stopped;
    case MediaPlayerBackend::Opening:
        return Status::Opening;
    case MediaPlayerBackend::Buffering:
        // libVLC reports its cache filling while paused too (after a seek, or a pause that came
        // while the stream refilled): the player stays paused.
        return current == Status::Paused ? Status::Paused : Status::Buffering;
    case MediaPlayerBackend::Ended:
        return Status::Ended;
    case MediaPlayerBackend::Error:
        return Status::Error;
    case MediaPlayerBackend::Paused:
        return Status::Paused;
    default:
        // "Playing" without the player confirming it, a new elementary stream, or anything else.
        return current;
    }
}

QList<Track> VLCEngine::simplify(const QVariantList &names, const QVariantList &indexes)
{
    QList<Track> kept;
    const qsizetype count = std::min(names.size(), indexes.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QVariant &name = names.at(i);
        const QVariant &index = indexes.at(i);
        if (name.metaType().id() != QMetaType::QString || !isNumber(index))
            continue;
        const int id = index.toInt();
        if (id < 0)
            continue; // the player's "no track" entry
        kept.append(Track(id, name.toString()));
    }
    QList<Track> labelled;
    int spanish = 0;
    int english = 0;
    for (const Track &track : std::as_const(kept))
        addLanguageTrack(labelled, track.id(), track.name(), spanish, english);
    return labelled.isEmpty() ? kept : labelled;
}

QString VLCEngine::statusName(Status status)
{
    switch (status) {
    case Status::Idle:
        return QStringLiteral("idle");
    case Status::Opening:
        return QStringLiteral("opening");
    case Status::Buffering:
        return QStringLiteral("buffering");
    case Status::Playing:
        return QStringLiteral("playing");
    case Status::Paused:
        return QStringLiteral("paused");
    case Status::Stopped:
        return QStringLiteral("stopped");
    case Status::Ended:
        return QStringLiteral("ended");
    case Status::Error:
        return QStringLiteral("error");
    }
    return {};
}

QString VLCEngine::diagnosticLine(Status status, qint64 timeMs, const QSize &videoSize)
{
    return QStringLiteral("[NORVANE] estado=%1 t=%2ms video=%3x%4")
        .arg(statusName(status))
        .arg(timeMs)
        .arg(std::max(0, videoSize.width()))
        .arg(std::max(0, videoSize.height()));
}

void VLCEngine::setFillScreen(bool fill)
{
    // The surface always hears it, even when the value stays the same.
    m_surface->setFillScreen(fill);
    if (m_fillScreen == fill)
        return;
    m_fillScreen = fill;
    Q_EMIT fillScreenChanged();
}

int VLCEngine::storedVolume()
{
    bool isNumber = false;
    const int stored = AppSettings::value(volumeKey).toInt(&isNumber);
    return isNumber ? clampedVolume(stored) : defaultVolume;
}

void VLCEngine::setVolume(int percent)
{
    const int volume = clampedVolume(percent);
    if (m_volume == volume)
        return;
    m_volume = volume;
    applyAudio();
    AppSettings::setValue(volumeKey, m_volume);
    Q_EMIT volumeChanged();
}

void VLCEngine::changeVolume(int delta)
{
    setVolume(clampedVolume(qint64(m_volume) + delta));
}

void VLCEngine::setMuted(bool muted)
{
    if (m_muted == muted)
        return;
    m_muted = muted;
    applyAudio();
    AppSettings::setValue(mutedKey, m_muted);
    Q_EMIT mutedChanged();
}

void VLCEngine::toggleMute()
{
    setMuted(!m_muted);
}

void VLCEngine::applyAudio()
{
    m_player->setVolume(m_volume);
    m_player->setMuted(m_muted);
}

void VLCEngine::play(const QString &urlString, int startTimeSeconds)
{
    const QUrl url(urlString, QUrl::StrictMode);
    if (urlString.isEmpty() || !url.isValid())
        return;
    m_player->stop();
    ++m_mediaGeneration;
    m_playerState = MediaPlayerBackend::Opening;
    QStringList options;
    if (startTimeSeconds >= 1)
        options.append(QStringLiteral(":start-time=%1").arg(startTimeSeconds));
    m_player->setMedia(url, options);
    applyAudio();
    m_surface->clear();
    setStatus(Status::Opening);
    setCurrentTimeMs(0);
    setDurationMs(0);
    setAudioTracks({});
    setSubtitleTracks({});
    m_player->play();
}

void VLCEngine::stop()
{
    m_player->stop();
    // Callbacks of the stopped media still queued would turn "stopped" back into what the media
    // was doing; they are dropped like those of a replaced media.
    ++m_mediaGeneration;
    m_playerState = MediaPlayerBackend::Stopped;
    m_surface->clear();
    setStatus(Status::Stopped);
}

void VLCEngine::pause()
{
    m_player->pause();
}

void VLCEngine::pauseIfPlaying()
{
    // A stream refilling its buffer plays on once it has: it is paused as well.
    if (m_player->isPlaying() || m_status == Status::Buffering)
        m_player->pause();
}

bool VLCEngine::isUnderway() const
{
    return m_status == Status::Opening || m_status == Status::Buffering || m_status == Status::Playing ||
           m_status == Status::Paused;
}

void VLCEngine::togglePause()
{
    if (!isUnderway())
        return;
    if (m_player->isPlaying())
        m_player->pause();
    else
        m_player->play();
}

void VLCEngine::seek(qint32 ms)
{
    m_player->setTimeMs(ms);
    Q_EMIT seekRequested(ms);
}

void VLCEngine::selectAudioTrack(int id)
{
    m_player->setAudioTrack(id);
}

void VLCEngine::selectSubtitleTrack(int id)
{
    m_player->setSubtitleTrack(id);
}

void VLCEngine::syncFromPlayer(std::optional<int> playerState)
{
    if (playerState)
        m_playerState = *playerState;
    const Status next = statusFor(m_player->isPlaying(), m_playerState, m_status);
    if (next != m_status) {
        setStatus(next);
        if (next == Status::Playing) {
            refreshTracks();
            // libVLC may make the audio output only as the media starts: give the sound again.
            applyAudio();
        }
    }
    setCurrentTimeMs(m_player->timeMs());
    const qint64 length = m_player->mediaLengthMs();
    if (length > 0)
        setDurationMs(length);
    if (m_diagnostics) {
        const QByteArray line =
            diagnosticLine(m_status, m_currentTimeMs, m_player->videoGeometry().size).toUtf8() + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    }
    if (m_status == Status::Error)
        letGoOfFailedMedia();
}

void VLCEngine::letGoOfFailedMedia()
{
    // libVLC may play on after the item has failed (its sound, when only the picture could not be
    // shown): a failed item is let go of. Its status, time and length stay for the screen; what the
    // player still reports about it is dropped like after a stop.
    m_player->stop();
    ++m_mediaGeneration;
}

void VLCEngine::refreshTracks()
{
    const MediaPlayerBackend::TrackDescriptions audio = m_player->audioTracks();
    const MediaPlayerBackend::TrackDescriptions subtitles = m_player->subtitleTracks();
    setAudioTracks(simplify(audio.names, audio.indexes));
    setSubtitleTracks(simplify(subtitles.names, subtitles.indexes));
}

void VLCEngine::setStatus(Status status)
{
    if (m_status == status)
        return;
    // The status alone: the media's address carries the credentials.
    if (status == Status::Error)
        qCInfo(lcPlayback) << "playback failed";
    else
        qCDebug(lcPlayback) << "status" << statusName(status);
    m_status = status;
    Q_EMIT statusChanged();
}

void VLCEngine::setCurrentTimeMs(qint64 ms)
{
    if (m_currentTimeMs == ms)
        return;
    m_currentTimeMs = ms;
    Q_EMIT currentTimeMsChanged();
}

void VLCEngine::setDurationMs(qint64 ms)
{
    if (m_durationMs == ms)
        return;
    m_durationMs = ms;
    Q_EMIT durationMsChanged();
}

void VLCEngine::setAudioTracks(const QList<Track> &tracks)
{
    if (m_audioTracks == tracks)
        return;
    m_audioTracks = tracks;
    Q_EMIT audioTracksChanged();
}

void VLCEngine::setSubtitleTracks(const QList<Track> &tracks)
{
    if (m_subtitleTracks == tracks)
        return;
    m_subtitleTracks = tracks;
    Q_EMIT subtitleTracksChanged();
}
