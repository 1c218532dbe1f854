#include "mpris/MprisService.h"

#include "images/ImageCache.h"
#include "mpris/MprisPlayerAdaptor.h"
#include "mpris/MprisRootAdaptor.h"
#include "mpris/NowPlaying.h"
#include "mpris/NowPlayingSource.h"
#include "playback/VLCEngine.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QWindow>
#include <cmath>

namespace {

using Status = VLCEngine::Status;

constexpr qint64 usPerMs = 1000;

bool isUnderway(Status status)
{
    return status == Status::Opening || status == Status::Buffering || status == Status::Playing ||
           status == Status::Paused;
}

} // namespace

MprisService::MprisService(NowPlaying *nowPlaying, const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_nowPlaying(nowPlaying), m_bus(bus)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &MprisService::refresh);
    if (m_nowPlaying)
        connect(m_nowPlaying, &NowPlaying::changed, this, &MprisService::followSource);
    followSource();
    m_announced = playerProperties();
    if (!m_bus.isConnected() || !m_bus.registerObject(objectPath, this))
        return;
    // A second running copy takes a name of its own, as the media-player interface asks.
    m_name = serviceName;
    if (!m_bus.registerService(m_name)) {
        m_name = serviceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!m_bus.registerService(m_name)) {
            m_bus.unregisterObject(objectPath);
            m_name.clear();
            return;
        }
    }
    m_registered = true;
}

MprisService::~MprisService()
{
    if (!m_registered)
        return;
    m_bus.unregisterService(m_name);
    m_bus.unregisterObject(objectPath);
}

VLCEngine *MprisService::engine() const
{
    return m_engine;
}

void MprisService::followSource()
{
    NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    VLCEngine *engine = source ? source->engine() : VLCEngine::existing();
    if (engine != m_engine) {
        for (const QMetaObject::Connection &connection : std::as_const(m_engineConnections))
            disconnect(connection);
        m_engineConnections.clear();
        m_engine = engine;
        if (m_engine) {
            m_engineConnections << connect(m_engine, &VLCEngine::statusChanged, &m_refresh,
                                           qOverload<>(&QTimer::start));
            m_engineConnections << connect(m_engine, &VLCEngine::durationMsChanged, &m_refresh,
                                           qOverload<>(&QTimer::start));
            m_engineConnections << connect(m_engine, &VLCEngine::volumeChanged, &m_refresh,
                                           qOverload<>(&QTimer::start));
            // Every seek, from the desktop or from the app's own controls, with where it goes:
            // the engine's time gets there only through its later reports.
            m_engineConnections << connect(m_engine, &VLCEngine::seekRequested, this,
                                           [this](qint64 targetMs) {
                                               if (m_nowPlaying && m_nowPlaying->source())
                                                   Q_EMIT seeked(targetMs * usPerMs);
                                           });
        }
    }
    m_refresh.start();
}

QVariantMap MprisService::playerProperties() const
{
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), volume()},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
        {QStringLiteral("CanPlay"), canPlay()},
        {QStringLiteral("CanPause"), canPlay()},
        {QStringLiteral("CanSeek"), canSeek()},
    };
}

void MprisService::refresh()
{
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    m_announced = now;
    if (changed.isEmpty() || !m_registered)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        objectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString(playerInterface) << changed << QStringList();
    m_bus.send(signal);
}

QString MprisService::playbackStatus() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    if (!source || !m_engine)
        return QStringLiteral("Stopped");
    switch (m_engine->status()) {
    case Status::Paused:
        return QStringLiteral("Paused");
    case Status::Opening:
    case Status::Buffering:
    case Status::Playing:
        return QStringLiteral("Playing");
    default:
        return QStringLiteral("Stopped");
    }
}

QDBusObjectPath MprisService::trackId() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    const QString key = source ? source->track().key : QString();
    if (key.isEmpty())
        return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    // Only letters and digits may make up a path element: the key in hexadecimal.
    return QDBusObjectPath(QStringLiteral("/app/norvane/Norvane/track/") +
                           QString::fromLatin1(key.toUtf8().toHex()));
}

QVariantMap MprisService::metadata() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    if (!source)
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())}};
    const NowPlayingSource::Track track = source->track();
    QVariantMap map{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())},
                    {QStringLiteral("xesam:title"), track.title}};
    if (!track.programme.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{track.programme});
    // Only what the image cache would fetch: the desktop opens the address itself, and a local
    // file or another scheme is nothing the provider sent as artwork.
    if (ImageCache::isWebAddress(track.artUrl))
        map.insert(QStringLiteral("mpris:artUrl"), track.artUrl);
    if (track.onDemand && m_engine && m_engine->durationMs() > 0)
        map.insert(QStringLiteral("mpris:length"), qint64(m_engine->durationMs() * usPerMs));
    return map;
}

double MprisService::volume() const
{
    // With nothing playing yet, the level the next stream gets.
    const VLCEngine *engine = m_engine ? m_engine.get() : VLCEngine::existing();
    return (engine ? engine->volume() : VLCEngine::storedVolume()) / double(VLCEngine::maxVolume);
}

void MprisService::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    VLCEngine *target = m_engine ? m_engine.get() : VLCEngine::shared();
    target->setVolume(int(std::lround(std::clamp(volume, 0.0, 1.0) * VLCEngine::maxVolume)));
}

qint64 MprisService::positionUs() const
{
    return m_engine && m_nowPlaying && m_nowPlaying->source() ? m_engine->currentTimeMs() * usPerMs : 0;
}

bool MprisService::canGoNext() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    return source && source->canGoNext();
}

bool MprisService::canGoPrevious() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    return source && source->canGoPrevious();
}

bool MprisService::canPlay() const
{
    return m_nowPlaying && m_nowPlaying->source() && m_engine && isUnderway(m_engine->status());
}

bool MprisService::canSeek() const
{
    const NowPlayingSource *source = m_nowPlaying ? m_nowPlaying->source() : nullptr;
    return source && m_engine && source->track().onDemand && m_engine->durationMs() > 0;
}

void MprisService::play()
{
    if (canPlay() && m_engine->status() == Status::Paused)
        m_nowPlaying->source()->togglePause();
}

void MprisService::pause()
{
    if (canPlay() && m_engine->status() != Status::Paused)
        m_nowPlaying->source()->togglePause();
}

void MprisService::playPause()
{
    if (canPlay())
        m_nowPlaying->source()->togglePause();
}

void MprisService::stop()
{
    if (m_nowPlaying && m_nowPlaying->source())
        m_nowPlaying->source()->stop();
}

void MprisService::next()
{
    if (canGoNext())
        m_nowPlaying->source()->next();
}

void MprisService::previous()
{
    if (canGoPrevious())
        m_nowPlaying->source()->previous();
}

void MprisService::seek(qint64 offsetUs)
{
    if (!canSeek())
        return;
    m_nowPlaying->source()->skip(offsetUs / usPerMs);
}

void MprisService::setPosition(const QDBusObjectPath &track, qint64 positionUs)
{
    // A position for another track, or beyond this one, is ignored.
    if (!canSeek() || track != trackId() || positionUs < 0 || positionUs > m_engine->durationMs() * usPerMs)
        return;
    m_nowPlaying->source()->seekTo(positionUs / usPerMs);
}

void MprisService::raise()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (!window->isVisible() && !(window->windowStates() & Qt::WindowMinimized))
            continue;
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->requestActivate();
        return;
    }
}

void MprisService::quit()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}
