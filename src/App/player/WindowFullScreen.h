#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickWindow>
#include <QtQml/qqmlregistration.h>

// The window's own full-screen state for the video screens: entering remembers how the window was
// shown (normal, maximised), leaving restores exactly that. A screen that goes away while in full
// screen leaves it, so the window is never left covering the screen by a screen that is gone.
//
// How a screen uses it:
//   WindowFullScreen { id: windowMode; window: view.Window.window }
//   ... onClicked: windowMode.toggle()        // the button, F, a double click
//   ... windowMode.leave()                    // Escape, and leaving the screen
class WindowFullScreen : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickWindow *window READ window WRITE setWindow NOTIFY windowChanged FINAL)
    // True between enter() and leave(), or until the desktop takes full screen away.
    Q_PROPERTY(bool active READ active NOTIFY activeChanged FINAL)

public:
    explicit WindowFullScreen(QObject *parent = nullptr);
    ~WindowFullScreen() override;

    QQuickWindow *window() const { return m_window; }
    void setWindow(QQuickWindow *window);
    bool active() const { return m_active; }

    Q_INVOKABLE void enter();
    Q_INVOKABLE void leave();
    Q_INVOKABLE void toggle();

Q_SIGNALS:
    void windowChanged();
    void activeChanged();

private:
    void setActive(bool active);
    void restore();

    QPointer<QQuickWindow> m_window;
    QWindow::Visibility m_before = QWindow::Windowed;
    bool m_active = false;
};
