#include "player/WindowFullScreen.h"

#include <QTimer>

WindowFullScreen::WindowFullScreen(QObject *parent) : QObject(parent) {}

WindowFullScreen::~WindowFullScreen()
{
    if (m_active)
        restore();
}

void WindowFullScreen::setWindow(QQuickWindow *window)
{
    if (m_window == window)
        return;
    leave();
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    // The desktop may take full screen away (its own key, a window rule): nothing left to leave.
    // Judged once the window system's queued reports are through: the report of an earlier
    // request (leaving full screen just before entering it again) is not the desktop's doing.
    if (m_window)
        connect(m_window, &QWindow::visibilityChanged, this, [this](QWindow::Visibility visibility) {
            if (visibility != QWindow::FullScreen)
                QTimer::singleShot(0, this, [this] {
                    if (m_window && m_window->visibility() != QWindow::FullScreen)
                        setActive(false);
                });
        });
    Q_EMIT windowChanged();
}

void WindowFullScreen::enter()
{
    if (!m_window || m_active)
        return;
    m_before = m_window->visibility();
    // Already full screen by the desktop's own hand: leaving gives back a normal window.
    if (m_before == QWindow::FullScreen || m_before == QWindow::Hidden)
        m_before = QWindow::Windowed;
    setActive(true);
    m_window->showFullScreen();
}

void WindowFullScreen::leave()
{
    if (!m_active)
        return;
    setActive(false);
    restore();
}

void WindowFullScreen::restore()
{
    if (!m_window)
        return;
    switch (m_before) {
    case QWindow::Maximized:
        m_window->showMaximized();
        break;
    case QWindow::Minimized:
        m_window->showMinimized();
        break;
    default:
        m_window->showNormal();
        break;
    }
}

void WindowFullScreen::toggle()
{
    if (m_active)
        leave();
    else
        enter();
}

void WindowFullScreen::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    Q_EMIT activeChanged();
}
