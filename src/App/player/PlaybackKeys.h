#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class ControlsAutoHide;
class QKeyEvent;
class QQuickWindow;

// The keyboard of the video screens (the player, the live section and the live full-screen view):
// one map from keys to playback actions, read from the window before the focused control sees the
// key, so that Space pauses even while a button has the focus (Return still presses the button).
//
// How a screen uses it:
//   PlaybackKeys {
//       target: view                 // keys count while the focus is inside the view
//       live: true                   // Page Up/Down and the channel keys zap; no seeking
//       transport: view.isFullscreen // false leaves Space, the arrows and Escape to the controls
//       controls: autoHide           // any key shows the controls (ControlsAutoHide::keyPressed)
//       onPlayPause: ...; onSkip: seconds => ...; onChangeVolume: delta => ...
//   }
// A key is taken only when the screen has a handler for its action's signal.
class PlaybackKeys : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *target READ target WRITE setTarget NOTIFY targetChanged FINAL)
    Q_PROPERTY(bool live READ live WRITE setLive NOTIFY liveChanged FINAL)
    Q_PROPERTY(bool transport READ transport WRITE setTransport NOTIFY transportChanged FINAL)
    Q_PROPERTY(ControlsAutoHide *controls READ controls WRITE setControls NOTIFY controlsChanged FINAL)

public:
    enum Action {
        NoAction,
        PlayPause,
        SkipBack,
        SkipForward,
        VolumeUp,
        VolumeDown,
        ToggleMute,
        ToggleFullScreen,
        Back,
        PreviousChannel,
        NextChannel
    };
    Q_ENUM(Action)

    // The same skip as the player's buttons, and one volume step in percent.
    static constexpr int skipSeconds = 10;
    static constexpr int volumeStep = 5;

    explicit PlaybackKeys(QObject *parent = nullptr);

    // The action of a key: channel keys only in live, seeking only outside it, and the keys that
    // also move the focus (Space, arrows, Escape) only while the video has the transport keys.
    static Action actionFor(int key, Qt::KeyboardModifiers modifiers, bool live, bool transport);

    QQuickItem *target() const { return m_target; }
    void setTarget(QQuickItem *target);
    bool live() const { return m_live; }
    void setLive(bool live);
    bool transport() const { return m_transport; }
    void setTransport(bool transport);
    ControlsAutoHide *controls() const { return m_controls; }
    void setControls(ControlsAutoHide *controls);

    // A key press while the focus is inside the target: shows the controls (transport only) and
    // carries out the key's action. True when the key was taken.
    Q_INVOKABLE bool press(int key, int modifiers = Qt::NoModifier);

Q_SIGNALS:
    void targetChanged();
    void liveChanged();
    void transportChanged();
    void controlsChanged();

    void playPause();
    void skip(int seconds);
    void changeVolume(int delta);
    void toggleMute();
    void toggleFullScreen();
    void back();
    void adjacentChannel(int offset);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow(QQuickWindow *window);
    bool focusIsInside() const;
    // Emits the action's signal; false when nobody listens to it.
    bool trigger(Action action);

    QPointer<QQuickItem> m_target;
    QPointer<QQuickWindow> m_window;
    QPointer<ControlsAutoHide> m_controls;
    bool m_live = false;
    bool m_transport = true;
};
