#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

class MprisService;

// org.mpris.MediaPlayer2: who the player is, raising its window and quitting it.
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity CONSTANT FINAL)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT FINAL)
    Q_PROPERTY(bool CanQuit READ yes CONSTANT FINAL)
    Q_PROPERTY(bool CanRaise READ yes CONSTANT FINAL)
    Q_PROPERTY(bool CanSetFullscreen READ no CONSTANT FINAL)
    Q_PROPERTY(bool Fullscreen READ no CONSTANT FINAL)
    Q_PROPERTY(bool HasTrackList READ no CONSTANT FINAL)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none CONSTANT FINAL)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none CONSTANT FINAL)
public:
    explicit MprisRootAdaptor(MprisService *service);

    QString identity() const { return QStringLiteral("Norvane"); }
    QString desktopEntry() const;
    bool yes() const { return true; }
    bool no() const { return false; }
    QStringList none() const { return {}; }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    MprisService *m_service;
};
