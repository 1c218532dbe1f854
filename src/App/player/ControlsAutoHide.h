#pragma once

#include <QObject>
#include <QTimer>
#include <QtQml/qqmlregistration.h>

// The on-screen controls of the full-screen video: shown or hidden, and at most one pending
// hide. Scheduling a hide replaces the pending one, so only the latest schedule can hide.
class ControlsAutoHide : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool showControls READ showControls WRITE setShowControls NOTIFY showControlsChanged FINAL)
    Q_PROPERTY(bool hidePending READ hidePending NOTIFY hidePendingChanged FINAL)
    // How long the controls stay after a schedule.
    Q_PROPERTY(int hideDelayMs READ hideDelayMs WRITE setHideDelayMs NOTIFY hideDelayMsChanged FINAL)

public:
    static constexpr int defaultHideDelayMs = 4000;

    explicit ControlsAutoHide(QObject *parent = nullptr);

    bool showControls() const { return m_showControls; }
    void setShowControls(bool show);
    bool hidePending() const { return m_timer.isActive(); }
    int hideDelayMs() const { return m_timer.interval(); }
    void setHideDelayMs(int ms);

    // Cancels the pending hide and hides the controls after the delay unless cancelled first.
    Q_INVOKABLE void scheduleHide();
    Q_INVOKABLE void cancelHide();
    // Shows the controls when hidden and hides them when shown; shown ones get a new schedule.
    Q_INVOKABLE void toggleControls();
    // What a control button does after its own action: keep the controls and restart the delay.
    Q_INVOKABLE void showAndScheduleHide();
    // Any key, like a mouse move: hidden controls show with a new delay, and a pending hide
    // starts its delay again. Controls held without a pending hide (for a connection attempt, or
    // until a click) stay held.
    Q_INVOKABLE void keyPressed();

Q_SIGNALS:
    void showControlsChanged();
    void hidePendingChanged();
    void hideDelayMsChanged();

private:
    void hideNow();

    bool m_showControls = true;
    QTimer m_timer;
};
