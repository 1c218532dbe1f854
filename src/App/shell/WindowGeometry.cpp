#include "shell/WindowGeometry.h"

#include "storage/AppSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

WindowGeometry::WindowGeometry(QObject *parent)
    // A Wayland window reads as being at (0, 0) wherever the compositor put it.
    : QObject(parent), m_placeKnown(!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &WindowGeometry::save);
}

WindowGeometry::~WindowGeometry()
{
    save();
}

void WindowGeometry::setWindow(QWindow *window)
{
    if (m_window == window)
        return;
    if (m_window)
        disconnect(m_window, nullptr, this, nullptr);
    m_window = window;
    if (m_window) {
        restore();
        follow();
        for (auto changed :
             {&QWindow::xChanged, &QWindow::yChanged, &QWindow::widthChanged, &QWindow::heightChanged})
            connect(m_window, changed, this, &WindowGeometry::follow);
        connect(m_window, &QWindow::windowStateChanged, this, &WindowGeometry::follow);
        // Closing the window hides it: its place is written then.
        connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                save();
            else if (m_maximized)
                m_window->setWindowStates(Qt::WindowMaximized);
        });
    }
    Q_EMIT windowChanged();
}

QRect WindowGeometry::corrected(const QRect &saved, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return saved.size().expandedTo(minimumSize).isValid()
                   ? QRect(saved.topLeft(), saved.size().expandedTo(minimumSize))
                   : saved;
    // The screen that holds the top edge's middle, else the first (primary) one.
    const QPoint handle(saved.center().x(), saved.top());
    QRect screen = screens.first();
    bool reachable = false;
    for (const QRect &candidate : screens)
        if (candidate.contains(handle)) {
            screen = candidate;
            reachable = true;
            break;
        }
    const QSize size = saved.size().boundedTo(screen.size()).expandedTo(minimumSize);
    QRect result(saved.topLeft(), size);
    if (!reachable)
        result.moveCenter(screen.center());
    // Kept inside the screen as far as the size allows, the top-left corner first.
    result.moveLeft(std::max(screen.left(), std::min(result.left(), screen.right() + 1 - size.width())));
    result.moveTop(std::max(screen.top(), std::min(result.top(), screen.bottom() + 1 - size.height())));
    return result;
}

void WindowGeometry::restore()
{
    const QRect saved = AppSettings::value(geometryKey).toRect();
    m_maximized = AppSettings::value(maximizedKey, false).toBool();
    if (saved.isValid()) {
        m_savedPlace = saved.topLeft();
        QList<QRect> screens;
        if (QScreen *primary = QGuiApplication::primaryScreen())
            screens.append(primary->availableGeometry());
        for (QScreen *screen : QGuiApplication::screens())
            if (screen != QGuiApplication::primaryScreen())
                screens.append(screen->availableGeometry());
        m_window->setGeometry(corrected(saved, screens));
    }
    if (m_maximized)
        m_window->setWindowStates(Qt::WindowMaximized);
}

void WindowGeometry::follow()
{
    // A hidden window's state is the platform's, not the user's choice.
    if (!m_window || !m_window->isVisible())
        return;
    const Qt::WindowStates states = m_window->windowStates();
    if (states & Qt::WindowFullScreen)
        return; // the state before full screen is the one kept
    m_maximized = states & Qt::WindowMaximized;
    if (!m_maximized && !(states & Qt::WindowMinimized)) {
        m_normal = m_window->geometry();
        if (!m_placeKnown && m_savedPlace)
            m_normal.moveTopLeft(*m_savedPlace);
    }
}

void WindowGeometry::save()
{
    if (!m_window)
        return;
    // The platform may not have reported the last move yet.
    follow();
    if (!m_normal.isValid())
        return;
    const QRect normal = m_normal;
    const bool maximized = m_maximized;
    if (AppSettings::value(geometryKey).toRect() != normal)
        AppSettings::setValue(geometryKey, normal);
    if (AppSettings::value(maximizedKey, false).toBool() != maximized)
        AppSettings::setValue(maximizedKey, maximized);
}
