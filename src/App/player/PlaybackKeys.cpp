#include "player/PlaybackKeys.h"

#include "player/ControlsAutoHide.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QQuickWindow>

namespace {

// Keys that type a letter or a space belong to a text field that has the focus.
bool typesText(int key)
{
    return key == Qt::Key_Space || (key >= Qt::Key_A && key <= Qt::Key_Z);
}

bool isTextField(const QQuickItem *item)
{
    return item && (item->inherits("QQuickTextInput") || item->inherits("QQuickTextEdit"));
}

} // namespace

PlaybackKeys::PlaybackKeys(QObject *parent) : QObject(parent) {}

PlaybackKeys::Action PlaybackKeys::actionFor(int key, Qt::KeyboardModifiers modifiers, bool live,
                                             bool transport)
{
    // Shortcuts with Ctrl, Alt or Meta are the desktop's.
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return NoAction;
    switch (key) {
    case Qt::Key_Escape:
        return Back;
    case Qt::Key_M:
        return ToggleMute;
    case Qt::Key_F:
        return ToggleFullScreen;
    case Qt::Key_Space:
        return transport ? PlayPause : NoAction;
    case Qt::Key_Up:
        return transport ? VolumeUp : NoAction;
    case Qt::Key_Down:
        return transport ? VolumeDown : NoAction;
    case Qt::Key_Left:
        return transport && !live ? SkipBack : NoAction;
    case Qt::Key_Right:
        return transport && !live ? SkipForward : NoAction;
    // Page Up goes up the channel list; a remote's "channel +" goes to the next number.
    case Qt::Key_PageUp:
    case Qt::Key_ChannelDown:
        return live ? PreviousChannel : NoAction;
    case Qt::Key_PageDown:
    case Qt::Key_ChannelUp:
        return live ? NextChannel : NoAction;
    default:
        return NoAction;
    }
}

void PlaybackKeys::setTarget(QQuickItem *target)
{
    if (m_target == target)
        return;
    if (m_target)
        disconnect(m_target, &QQuickItem::windowChanged, this, nullptr);
    m_target = target;
    if (m_target)
        connect(m_target, &QQuickItem::windowChanged, this, &PlaybackKeys::watchWindow);
    watchWindow(m_target ? m_target->window() : nullptr);
    Q_EMIT targetChanged();
}

void PlaybackKeys::setLive(bool live)
{
    if (m_live == live)
        return;
    m_live = live;
    Q_EMIT liveChanged();
}

void PlaybackKeys::setTransport(bool transport)
{
    if (m_transport == transport)
        return;
    m_transport = transport;
    Q_EMIT transportChanged();
}

void PlaybackKeys::setControls(ControlsAutoHide *controls)
{
    if (m_controls == controls)
        return;
    m_controls = controls;
    Q_EMIT controlsChanged();
}

bool PlaybackKeys::press(int key, int modifiers)
{
    if (!focusIsInside())
        return false;
    if (m_transport && m_controls)
        m_controls->keyPressed();
    if (typesText(key) && isTextField(m_window ? m_window->activeFocusItem() : nullptr))
        return false;
    return trigger(actionFor(key, Qt::KeyboardModifiers(modifiers), m_live, m_transport));
}

bool PlaybackKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (press(key->key(), key->modifiers())) {
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlaybackKeys::watchWindow(QQuickWindow *window)
{
    if (m_window == window)
        return;
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window)
        m_window->installEventFilter(this);
}

bool PlaybackKeys::focusIsInside() const
{
    if (!m_target || !m_window || !m_target->isVisible())
        return false;
    QQuickItem *focused = m_window->activeFocusItem();
    // No focus at all, or the focus on a scope around the target (a control that had it was hidden).
    if (!focused || focused == m_target || focused->isAncestorOf(m_target))
        return true;
    return m_target->isAncestorOf(focused);
}

bool PlaybackKeys::trigger(Action action)
{
    const auto listened = [this](auto signal) { return isSignalConnected(QMetaMethod::fromSignal(signal)); };
    switch (action) {
    case NoAction:
        return false;
    case PlayPause:
        if (!listened(&PlaybackKeys::playPause))
            return false;
        Q_EMIT playPause();
        return true;
    case SkipBack:
    case SkipForward:
        if (!listened(&PlaybackKeys::skip))
            return false;
        Q_EMIT skip(action == SkipBack ? -skipSeconds : skipSeconds);
        return true;
    case VolumeUp:
    case VolumeDown:
        if (!listened(&PlaybackKeys::changeVolume))
            return false;
        Q_EMIT changeVolume(action == VolumeDown ? -volumeStep : volumeStep);
        return true;
    case ToggleMute:
        if (!listened(&PlaybackKeys::toggleMute))
            return false;
        Q_EMIT toggleMute();
        return true;
    case ToggleFullScreen:
        if (!listened(&PlaybackKeys::toggleFullScreen))
            return false;
        Q_EMIT toggleFullScreen();
        return true;
    case Back:
        if (!listened(&PlaybackKeys::back))
            return false;
        Q_EMIT back();
        return true;
    case PreviousChannel:
    case NextChannel:
        if (!listened(&PlaybackKeys::adjacentChannel))
            return false;
        Q_EMIT adjacentChannel(action == PreviousChannel ? -1 : 1);
        return true;
    }
    return false;
}
