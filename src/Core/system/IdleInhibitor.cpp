#include "system/IdleInhibitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
constexpr uint portalIdleFlag = 8;

// Shown by some desktops beside the application's name.
QString reason()
{
    return QStringLiteral("Reproduciendo vídeo");
}

} // namespace

IdleInhibitor::IdleInhibitor(const QDBusConnection &bus, QObject *parent) : QObject(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        m_route = Route::None;
}

IdleInhibitor::~IdleInhibitor()
{
    if (m_hold)
        release(m_bus, *m_hold);
}

void IdleInhibitor::setWanted(bool wanted)
{
    m_wanted = wanted;
    follow();
}

void IdleInhibitor::follow()
{
    if (m_wanted && !m_hold && !m_asking && m_route != Route::None)
        ask();
    if (!m_wanted && m_hold) {
        release(m_bus, *m_hold);
        m_hold.reset();
    }
}

void IdleInhibitor::ask()
{
    QDBusMessage message;
    if (m_route == Route::ScreenSaver) {
        message = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverService,
                                                 QStringLiteral("Inhibit"));
        message << QStringLiteral("Norvane") << reason();
    } else {
        message = QDBusMessage::createMethodCall(portalService, portalPath,
                                                 QStringLiteral("org.freedesktop.portal.Inhibit"),
                                                 QStringLiteral("Inhibit"));
        message << QString() << portalIdleFlag << QVariantMap{{QStringLiteral("reason"), reason()}};
    }
    m_asking = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message));
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [watcher, route = m_route, bus = m_bus, self = QPointer<IdleInhibitor>(this)] {
                handleAnswer(watcher, route, bus, self);
            });
}

void IdleInhibitor::handleAnswer(QDBusPendingCallWatcher *watcher, Route route, QDBusConnection bus,
                                 QPointer<IdleInhibitor> inhibitor)
{
    watcher->deleteLater();
    std::optional<Hold> hold;
    if (route == Route::ScreenSaver) {
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isValid())
            hold = Hold{route, reply.value(), {}};
    } else {
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isValid())
            hold = Hold{route, 0, reply.value().path()};
    }
    if (inhibitor)
        inhibitor->answered(route, hold);
    else if (hold)
        release(bus, *hold);
}

void IdleInhibitor::answered(Route route, const std::optional<Hold> &hold)
{
    m_asking = false;
    if (!hold) {
        // The screen saver is not there (or refused): the portal next; after that, nothing.
        m_route = route == Route::ScreenSaver ? Route::Portal : Route::None;
        follow();
        return;
    }
    if (m_wanted)
        m_hold = hold;
    else
        release(m_bus, *hold);
}

void IdleInhibitor::release(const QDBusConnection &bus, const Hold &hold)
{
    QDBusMessage message;
    if (hold.route == Route::ScreenSaver) {
        message = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath, screenSaverService,
                                                 QStringLiteral("UnInhibit"));
        message << hold.cookie;
    } else {
        message = QDBusMessage::createMethodCall(portalService, hold.handle,
                                                 QStringLiteral("org.freedesktop.portal.Request"),
                                                 QStringLiteral("Close"));
    }
    // No answer is awaited: there is nothing to do about a refusal.
    bus.send(message);
}
