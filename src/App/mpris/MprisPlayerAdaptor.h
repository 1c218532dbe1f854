#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QVariantMap>

class MprisService;

// org.mpris.MediaPlayer2.Player: what plays and the controls, read from and handed to the service.
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus FINAL)
    Q_PROPERTY(double Rate READ rate FINAL)
    Q_PROPERTY(double MinimumRate READ rate FINAL)
    Q_PROPERTY(double MaximumRate READ rate FINAL)
    Q_PROPERTY(QVariantMap Metadata READ metadata FINAL)
    Q_PROPERTY(double Volume READ volume WRITE setVolume FINAL)
    Q_PROPERTY(qlonglong Position READ position FINAL)
    Q_PROPERTY(bool CanGoNext READ canGoNext FINAL)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious FINAL)
    Q_PROPERTY(bool CanPlay READ canPlay FINAL)
    Q_PROPERTY(bool CanPause READ canPlay FINAL)
    Q_PROPERTY(bool CanSeek READ canSeek FINAL)
    Q_PROPERTY(bool CanControl READ canControl CONSTANT FINAL)
public:
    explicit MprisPlayerAdaptor(MprisService *service);

    QString playbackStatus() const;
    double rate() const { return 1.0; }
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canSeek() const;
    bool canControl() const { return true; }

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position);
    // Addresses are not opened from outside.
    void OpenUri(const QString &) {}

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    MprisService *m_service;
};
