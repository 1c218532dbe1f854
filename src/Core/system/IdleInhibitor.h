#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

class QDBusPendingCallWatcher;

// Keeps the screen from blanking while it is wanted: an idle inhibition from the session's screen
// saver (org.freedesktop.ScreenSaver), or from the desktop portal where only that is offered, let
// go when no longer wanted and at its own end. What wants it is its owner's business. Every call
// is asynchronous; without a session bus or either service nothing happens and nothing is said.
class IdleInhibitor : public QObject
{
    Q_OBJECT
public:
    // The service that grants the inhibition; None once neither answered.
    enum class Route { ScreenSaver, Portal, None };

    explicit IdleInhibitor(const QDBusConnection &bus, QObject *parent = nullptr);
    ~IdleInhibitor() override;

    // Asks for the inhibition (once) or gives it back.
    void setWanted(bool wanted);
    bool wanted() const { return m_wanted; }

    // Whether an inhibition is held right now (granted and not let go of).
    bool isHeld() const { return m_hold.has_value(); }
    Route route() const { return m_route; }

private:
    // What a granted inhibition is released by: the screen saver's cookie or the portal's request.
    struct Hold
    {
        Route route = Route::None;
        uint cookie = 0;
        QString handle;
    };

    void follow();
    void ask();
    void answered(Route route, const std::optional<Hold> &hold);
    // The answer to one request, wherever the inhibitor is by then: a grant that nobody wants
    // any more (released meanwhile, or the inhibitor gone) is given back at once.
    static void handleAnswer(QDBusPendingCallWatcher *watcher, Route route, QDBusConnection bus,
                             QPointer<IdleInhibitor> inhibitor);
    static void release(const QDBusConnection &bus, const Hold &hold);

    QDBusConnection m_bus;
    Route m_route = Route::ScreenSaver;
    bool m_wanted = false;
    // A request is on its way: a second one would hold two inhibitions.
    bool m_asking = false;
    std::optional<Hold> m_hold;
};
