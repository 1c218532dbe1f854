#pragma once

#include "client/XtreamClient.h"
#include "live/ChannelRow.h"
#include "live/LivePlayback.h"

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class LiveStreamAttempt;

// Plays one live channel over the whole window, outside the live section, by a live stream
// attempt (m3u8, then ts once, then kept alive), with the error text when it cannot be played.
// The controls stay for the whole connection attempt and then hide after their delay. A double
// click on the picture puts the window in full screen; Escape gives it back, then closes.
class LiveFullscreenPlayback : public LivePlayback
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(XtreamClient client READ client WRITE setClient NOTIFY clientChanged FINAL)
    Q_PROPERTY(ChannelRow channel READ channel WRITE setChannel NOTIFY channelChanged FINAL)
    // The m3u8 watch, the ts fall-back and the reconnect, with their timing.
    Q_PROPERTY(LiveStreamAttempt *stream READ stream CONSTANT FINAL)

public:
    // On the shared engine, or on the given one (tests).
    explicit LiveFullscreenPlayback(QObject *parent = nullptr);
    explicit LiveFullscreenPlayback(VLCEngine *engine, QObject *parent = nullptr);

    XtreamClient client() const { return m_client; }
    void setClient(const XtreamClient &client);
    ChannelRow channel() const { return m_channel; }
    void setChannel(const ChannelRow &channel);
    LiveStreamAttempt *stream() const { return m_attempt; }

    // The view was shown: the connection attempt, then the controls' hide.
    Q_INVOKABLE void start();
    // "Reintentar": the connection attempt again from the adaptive address.
    void retry() override;
    // Stops the engine and gives the window back as it was, then announces closed().
    Q_INVOKABLE void close();
    void videoDoubleClicked() override { toggleWindowFullScreen(); }

    QCoro::Task<> startTask();
    QCoro::Task<> playTask();

Q_SIGNALS:
    void clientChanged();
    void channelChanged();
    void closed();

protected:
    void leave() override { close(); }

private:
    XtreamClient m_client;
    ChannelRow m_channel;
    // A retry supersedes the attempt still watching, which then stops acting, so it cannot
    // switch the retry to ts or raise the error over it.
    LiveStreamAttempt *m_attempt;
};
