#pragma once

#include "ChannelRow.h"
#include "ControlsAutoHide.h"
#include "PlaybackKeys.h"
#include "WindowFullScreen.h"
#include "XtreamClient.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include "VLCEngine.h"

class LiveStreamAttempt;

// Plays one live channel over the whole window, outside the live section, by a live stream
// attempt (m3u8, then ts once), with the error text when both have failed. The controls stay for
// the whole connection attempt and then hide after their delay. The keys (Space, F, M, Escape) and
// the window's own full screen are here too.
class LiveFullscreenPlayback : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(XtreamClient client READ client WRITE setClient NOTIFY clientChanged FINAL)
    Q_PROPERTY(ChannelRow channel READ channel WRITE setChannel NOTIFY channelChanged FINAL)
    Q_PROPERTY(VLCEngine *engine READ engine CONSTANT FINAL)
    Q_PROPERTY(ControlsAutoHide *controls READ controls CONSTANT FINAL)
    // The view's keys (the view gives them their target) and the window's full screen (the view
    // gives it the window).
    Q_PROPERTY(PlaybackKeys *keys READ keys CONSTANT FINAL)
    Q_PROPERTY(WindowFullScreen *windowMode READ windowMode CONSTANT FINAL)
    Q_PROPERTY(bool didFallbackToTS READ didFallbackToTS NOTIFY didFallbackToTSChanged FINAL)
    // The user text while the channel cannot be played; empty otherwise.
    Q_PROPERTY(QString error READ error NOTIFY errorChanged FINAL)
    // How long each address is given before it is judged.
    Q_PROPERTY(int watchMs READ watchMs WRITE setWatchMs NOTIFY watchMsChanged FINAL)

public:
    // On the shared engine.
    explicit LiveFullscreenPlayback(QObject *parent = nullptr);
    explicit LiveFullscreenPlayback(VLCEngine *engine, QObject *parent = nullptr);

    XtreamClient client() const { return m_client; }
    void setClient(const XtreamClient &client);
    ChannelRow channel() const { return m_channel; }
    void setChannel(const ChannelRow &channel);
    VLCEngine *engine() const { return m_engine; }
    ControlsAutoHide *controls() const { return m_controls; }
    PlaybackKeys *keys() const { return m_keys; }
    WindowFullScreen *windowMode() const { return m_windowMode; }
    bool didFallbackToTS() const;
    QString error() const { return m_error; }
    int watchMs() const;
    void setWatchMs(int ms);

    // The view was shown: the connection attempt, then the controls' hide.
    Q_INVOKABLE void start();
    // "Reintentar": the connection attempt again from the adaptive address.
    Q_INVOKABLE void play();
    // Stops the engine and gives the window back as it was, then announces closed().
    Q_INVOKABLE void close();
    // Escape: the window's full screen first, then the view.
    Q_INVOKABLE void goBack();
    // The window's full screen (its button, F, a double click on the video).
    Q_INVOKABLE void toggleWindowFullScreen();
    Q_INVOKABLE void toggleFill();
    Q_INVOKABLE void togglePause();

    QCoro::Task<> startTask();
    QCoro::Task<> playTask();

Q_SIGNALS:
    void clientChanged();
    void channelChanged();
    void didFallbackToTSChanged();
    void errorChanged();
    void watchMsChanged();
    void closed();

private:
    void setError(const QString &error);

    XtreamClient m_client;
    ChannelRow m_channel;
    QPointer<VLCEngine> m_engine;
    ControlsAutoHide *m_controls;
    PlaybackKeys *m_keys;
    WindowFullScreen *m_windowMode;
    // A retry supersedes the attempt still watching, which then stops acting, so it cannot
    // switch the retry to ts or raise the error over it.
    LiveStreamAttempt *m_attempt;
    QString m_error;
};
