#pragma once

#include "playback/VLCEngine.h"
#include "player/ControlsAutoHide.h"
#include "player/PlaybackKeys.h"
#include "player/WindowFullScreen.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

// What every playing screen does the same way (the movie and episode player, the live section's
// full-screen layout, the live full-screen view): controls that hide after a while, the keyboard,
// the window's own full screen, play/pause, fill/fit and the order in which Escape leaves. Each
// screen's controller adds what it plays on top: a queue with seeking and up-next, a channel list
// to zap through, or one channel.
//
// A screen's QML gives the keys their target and the window-mode its window, then only binds:
//   keys.target: view
//   windowMode.window: view.Window.window
class PlaybackController : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A playback controller belongs to one of the playing screens.")
    Q_PROPERTY(VLCEngine *engine READ engine WRITE setEngine NOTIFY engineChanged FINAL)
    Q_PROPERTY(ControlsAutoHide *controls READ controls CONSTANT FINAL)
    Q_PROPERTY(PlaybackKeys *keys READ keys CONSTANT FINAL)
    Q_PROPERTY(WindowFullScreen *windowMode READ windowMode CONSTANT FINAL)
    // The controls on screen: shown, and not set aside by what the screen shows instead (an error,
    // the up-next card, the section's own panels).
    Q_PROPERTY(bool controlsShown READ controlsShown NOTIFY controlsShownChanged FINAL)
    // The play button's face: pause while the engine plays, play otherwise.
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged FINAL)
    // The stream is opening or filling its buffer: the spinner.
    Q_PROPERTY(bool connecting READ connecting NOTIFY connectingChanged FINAL)
    // Whether play/pause would act now (not on an error, an ended item or nothing at all).
    Q_PROPERTY(bool canTogglePause READ canTogglePause NOTIFY canTogglePauseChanged FINAL)
    // The fill/fit button's label: the mode it switches to.
    Q_PROPERTY(QString fillText READ fillText NOTIFY fillTextChanged FINAL)

public:
    VLCEngine *engine() const { return m_engine; }
    void setEngine(VLCEngine *engine);
    ControlsAutoHide *controls() const { return m_controls; }
    PlaybackKeys *keys() const { return m_keys; }
    WindowFullScreen *windowMode() const { return m_windowMode; }
    bool controlsShown() const { return m_controlsShown; }
    bool playing() const { return m_playing; }
    bool connecting() const { return m_connecting; }
    bool canTogglePause() const { return m_canTogglePause; }
    QString fillText() const;

    // Play/pause (its button, Space, the media keys): only while something can be paused or
    // resumed; a failed or ended stream is not started again behind its message.
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void toggleFill();
    // The window's full screen on and off (its button, F).
    Q_INVOKABLE void toggleWindowFullScreen();
    // Escape, and the back buttons: the window's full screen first, then the screen's own step.
    Q_INVOKABLE void goBack();
    // After a control's own action: the controls stay, and their hide starts again.
    Q_INVOKABLE void touched() { m_controls->showAndScheduleHide(); }

Q_SIGNALS:
    void engineChanged();
    void controlsShownChanged();
    void playingChanged();
    void connectingChanged();
    void canTogglePauseChanged();
    void fillTextChanged();

protected:
    // On the shared engine, or on the given one (tests).
    explicit PlaybackController(QObject *parent = nullptr);
    PlaybackController(VLCEngine *engine, QObject *parent);

    // Escape once the window is back from full screen: leave the layout, close the screen, ...
    virtual void leave() = 0;
    // What the screen shows instead of the controls right now, and what refuses play/pause.
    virtual bool controlsSetAside() const { return false; }
    virtual bool pauseRefused() const { return false; }
    // Entering the window's full screen first needs the screen's own full-screen layout.
    virtual bool prepareWindowFullScreen() { return true; }
    // A screen calls this when what the two hooks above read has changed.
    void refresh();

private:
    void setControlsShown(bool shown);

    QPointer<VLCEngine> m_engine;
    ControlsAutoHide *m_controls;
    PlaybackKeys *m_keys;
    WindowFullScreen *m_windowMode;
    bool m_controlsShown = true;
    bool m_playing = false;
    bool m_connecting = false;
    bool m_canTogglePause = false;
};
