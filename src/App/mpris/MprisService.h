#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>

class NowPlaying;
class VLCEngine;

// The desktop's media controls and media keys (MPRIS 2): org.mpris.MediaPlayer2.norvane on the
// session bus, showing what the current screen plays and acting through that screen's own
// controls. Without a session bus, or when the name cannot be had, nothing is registered and
// nothing is said.
class MprisService : public QObject
{
    Q_OBJECT
public:
    static constexpr QLatin1StringView serviceName{"org.mpris.MediaPlayer2.norvane"};
    static constexpr QLatin1StringView objectPath{"/org/mpris/MediaPlayer2"};
    static constexpr QLatin1StringView playerInterface{"org.mpris.MediaPlayer2.Player"};
    // The launcher's name without ".desktop".
    static constexpr QLatin1StringView desktopEntry{"app.norvane.Norvane"};

    MprisService(NowPlaying *nowPlaying, const QDBusConnection &bus, QObject *parent = nullptr);
    ~MprisService() override;

    bool isRegistered() const { return m_registered; }
    QString registeredName() const { return m_name; }

    // What the player interface shows.
    QString playbackStatus() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qint64 positionUs() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canSeek() const;

    // What the player interface does.
    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void seek(qint64 offsetUs);
    void setPosition(const QDBusObjectPath &trackId, qint64 positionUs);
    // The root interface: the window to the front, and the application's end.
    void raise();
    void quit();

Q_SIGNALS:
    void seeked(qint64 positionUs);

private:
    VLCEngine *engine() const;
    QDBusObjectPath trackId() const;
    void followSource();
    void refresh();
    QVariantMap playerProperties() const;

    QPointer<NowPlaying> m_nowPlaying;
    QDBusConnection m_bus;
    bool m_registered = false;
    QString m_name;
    QPointer<VLCEngine> m_engine;
    QList<QMetaObject::Connection> m_engineConnections;
    // The properties as last announced; changes are gathered and announced once per event-loop turn.
    QVariantMap m_announced;
    QTimer m_refresh;
};
