#include "player/ControlsAutoHide.h"

ControlsAutoHide::ControlsAutoHide(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(defaultHideDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &ControlsAutoHide::hideNow);
}

void ControlsAutoHide::setShowControls(bool show)
{
    if (m_showControls == show)
        return;
    m_showControls = show;
    Q_EMIT showControlsChanged();
}

void ControlsAutoHide::setHideDelayMs(int ms)
{
    if (m_timer.interval() == ms)
        return;
    m_timer.setInterval(ms);
    Q_EMIT hideDelayMsChanged();
}

void ControlsAutoHide::scheduleHide()
{
    const bool wasPending = m_timer.isActive();
    m_timer.start();
    if (!wasPending)
        Q_EMIT hidePendingChanged();
}

void ControlsAutoHide::cancelHide()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    Q_EMIT hidePendingChanged();
}

void ControlsAutoHide::toggleControls()
{
    setShowControls(!m_showControls);
    if (m_showControls)
        scheduleHide();
    else
        cancelHide();
}

void ControlsAutoHide::showAndScheduleHide()
{
    setShowControls(true);
    scheduleHide();
}

void ControlsAutoHide::keyPressed()
{
    if (!m_showControls)
        showAndScheduleHide();
    else if (hidePending())
        scheduleHide();
}

void ControlsAutoHide::hideNow()
{
    Q_EMIT hidePendingChanged();
    setShowControls(false);
}
