#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWindow>
#include <QtQml/qqmlregistration.h>
#include <optional>

// The main window's size, position and maximised state across runs, kept in the settings file.
// Given the window, it puts it back where it was (corrected to the screens there are now) and
// writes its place when it closes and when the application ends. Full screen is never kept: the
// window comes back as it was before it. Where the compositor places every window (Wayland), the
// window cannot know its position: the size and the maximised state come back, and the position
// saved by a session that knew it is kept as it was.
class WindowGeometry : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QWindow *window READ window WRITE setWindow NOTIFY windowChanged FINAL)
public:
    static constexpr QSize minimumSize{1000, 640};
    static inline const QString geometryKey = QStringLiteral("window/geometry");
    static inline const QString maximizedKey = QStringLiteral("window/maximized");

    explicit WindowGeometry(QObject *parent = nullptr);
    ~WindowGeometry() override;

    QWindow *window() const { return m_window; }
    void setWindow(QWindow *window);

    // The saved rectangle made usable on these screens (available areas, the primary first): at
    // least the minimum size and at most the screen's, and moved onto the first screen when its
    // top edge (where the window is held) lies on none of them.
    static QRect corrected(const QRect &saved, const QList<QRect> &screens);

    // Writes the window's place now (also done on close and at the application's end).
    void save();

    // Whether the window's position is the app's to know (by default, everywhere but on Wayland).
    void setPlaceKnown(bool known) { m_placeKnown = known; }

Q_SIGNALS:
    void windowChanged();

private:
    void restore();
    void follow();

    QPointer<QWindow> m_window;
    // The last place and state outside full screen and maximised: what the next run restores.
    QRect m_normal;
    bool m_maximized = false;
    bool m_placeKnown;
    // The saved position, kept where the window cannot know its own.
    std::optional<QPoint> m_savedPlace;
};
