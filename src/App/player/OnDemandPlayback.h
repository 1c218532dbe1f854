#pragma once

#include "player/PlaybackController.h"
#include "player/PlayerModel.h"

#include <QPointer>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// The movie and episode player's controller: the playing screen's common rules, plus what a queue
// of items adds: skips of 10 s with their hint, the click zones over the picture, the seek bar's
// seek, and the model's error and up-next card, which set the controls and play/pause aside.
class OnDemandPlayback : public PlaybackController
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(PlayerModel *model READ model WRITE setModel NOTIFY modelChanged FINAL)
    // The skip hint on screen: -1 on the left, +1 on the right, 0 while none shows. Each hint has
    // a new id, so the screen can tell a replaced hint from the one before.
    Q_PROPERTY(int skipHintSide READ skipHintSide NOTIFY skipHintChanged FINAL)
    Q_PROPERTY(int skipHintId READ skipHintId NOTIFY skipHintChanged FINAL)
    // How long a hint stays.
    Q_PROPERTY(int skipHintMs READ skipHintMs WRITE setSkipHintMs NOTIFY skipHintMsChanged FINAL)
    // One skip, in seconds (the buttons' and the hint's "10").
    Q_PROPERTY(int skipSeconds READ skipSeconds CONSTANT FINAL)

public:
    static constexpr int defaultSkipHintMs = 700;

    // On the shared engine.
    explicit OnDemandPlayback(QObject *parent = nullptr);

    PlayerModel *model() const { return m_model; }
    void setModel(PlayerModel *model);
    int skipHintSide() const { return m_skipHintSide; }
    int skipHintId() const { return m_skipHintId; }
    int skipHintMs() const { return m_skipHintMs; }
    void setSkipHintMs(int ms);
    static int skipSeconds() { return PlaybackKeys::skipSeconds; }

    // The screen came on: the current item from its own start, and the controls' hide.
    Q_INVOKABLE void start();
    // The skip buttons: back (-1) or forward (+1) by one skip; the controls stay.
    Q_INVOKABLE void skip(int direction);
    // A double click on a half of the picture, or an arrow key: the skip with its hint.
    Q_INVOKABLE void skipWithHint(int direction);
    // One click on the picture toggles the controls, once it is clear that no second click
    // follows (a double click skips instead).
    Q_INVOKABLE void zoneClicked();
    Q_INVOKABLE void zoneDoubleClicked(int direction);
    // The seek bar let go at `ms` (the engine takes whole milliseconds, 32 bits).
    Q_INVOKABLE void seekTo(double ms);
    // The error's "Reintentar": from the last known position.
    Q_INVOKABLE void retry();
    // A skip's symbol ("gobackward.10") and its spoken name ("Retroceder 10 segundos"), by direction.
    Q_INVOKABLE static QString skipSymbol(int direction);
    Q_INVOKABLE static QString skipName(int direction);

Q_SIGNALS:
    void modelChanged();
    void skipHintChanged();
    void skipHintMsChanged();

protected:
    void leave() override;
    bool controlsSetAside() const override;
    bool pauseRefused() const override;

private:
    void setSkipHint(int side, int id);

    QPointer<PlayerModel> m_model;
    int m_skipHintSide = 0;
    int m_skipHintId = 0;
    int m_skipHintMs = defaultSkipHintMs;
    QTimer m_singleClick;
};
