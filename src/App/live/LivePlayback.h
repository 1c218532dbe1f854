#pragma once

#include "player/PlaybackController.h"

#include <QString>
#include <QtQml/qqmlregistration.h>

// What the two live layouts (the section's full screen and the live full-screen view) add to the
// playing screens' rules: one channel on the air, live keys (no seeking; the channel keys zap where
// there is a list), the stream's error with "Reintentar", and "Reconectando…" while a dropped
// stream is started again. Neither play/pause nor the controls act over an error or a reconnect.
class LivePlayback : public PlaybackController
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A live playback controller belongs to a live screen.")
    Q_PROPERTY(QString channelName READ channelName NOTIFY channelNameChanged FINAL)
    // The user text while the channel cannot be played; empty otherwise.
    Q_PROPERTY(QString error READ error NOTIFY errorChanged FINAL)
    Q_PROPERTY(bool reconnecting READ reconnecting NOTIFY reconnectingChanged FINAL)
    // The text shown while reconnecting.
    Q_PROPERTY(QString reconnectingText READ reconnectingText CONSTANT FINAL)
    // Previous and next channel buttons (a layout over a channel list).
    Q_PROPERTY(bool canZap READ canZap CONSTANT FINAL)

public:
    QString channelName() const { return m_channelName; }
    QString error() const { return m_error; }
    bool reconnecting() const { return m_reconnecting; }
    static QString reconnectingText() { return QStringLiteral("Reconectando…"); }
    bool canZap() const { return m_canZap; }

    // The error's "Reintentar": the channel again from its adaptive address.
    Q_INVOKABLE virtual void retry() = 0;
    // The previous (-1) or next (+1) channel, where there is a list.
    Q_INVOKABLE virtual void playAdjacent(int offset) { Q_UNUSED(offset) }
    // A click on the picture, and a double click.
    Q_INVOKABLE virtual void videoClicked();
    Q_INVOKABLE virtual void videoDoubleClicked() = 0;

Q_SIGNALS:
    void channelNameChanged();
    void errorChanged();
    void reconnectingChanged();

protected:
    LivePlayback(VLCEngine *engine, bool canZap, QObject *parent);

    bool controlsSetAside() const override;
    bool pauseRefused() const override;

    void setChannelName(const QString &name);
    void setError(const QString &error);
    void setReconnecting(bool reconnecting);

private:
    const bool m_canZap;
    QString m_channelName;
    QString m_error;
    bool m_reconnecting = false;
};
