#include "IdleInhibitor.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "VLCEngine.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QRegularExpression>
#include <QSet>
#include <memory>

using norvane::test::ScriptedEngine;

namespace {

// The inhibitions that a stand-in service has granted to this test's own connection and not
// taken back. Other test programs share the private bus, and their engines may ask too.
struct Grants
{
    QSet<QString> held;
    int granted = 0;
    void grant(const QDBusMessage &call, const QString &id)
    {
        if (call.service() != QDBusConnection::sessionBus().baseService())
            return;
        held.insert(id);
        ++granted;
    }
};

} // namespace

// The desktop's screen saver as org.freedesktop.ScreenSaver offers it.
class ScreenSaverStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    Grants grants;

public Q_SLOTS:
    uint Inhibit(const QString &, const QString &)
    {
        grants.grant(message(), QString::number(++m_next));
        return m_next;
    }
    void UnInhibit(uint cookie) { grants.held.remove(QString::number(cookie)); }

private:
    uint m_next = 0;
};

// One inhibition of the portal: closing its request ends it.
class PortalRequestStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    PortalRequestStandIn(Grants *grants, QString path, QObject *parent)
        : QObject(parent), m_grants(grants), m_path(std::move(path))
    {
    }

public Q_SLOTS:
    void Close() { m_grants->held.remove(m_path); }

private:
    Grants *m_grants;
    QString m_path;
};

// The desktop portal's org.freedesktop.portal.Inhibit.
class PortalStandIn : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    Grants grants;
    uint lastFlags = 0;

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString &, uint flags, const QVariantMap &)
    {
        lastFlags = flags;
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/t/n%1").arg(++m_next);
        connection().registerObject(path, new PortalRequestStandIn(&grants, path, this),
                                    QDBusConnection::ExportAllSlots);
        grants.grant(message(), path);
        return QDBusObjectPath(path);
    }

private:
    uint m_next = 0;
};

namespace {

// A service on a connection of its own, as another program on the bus would be.
class BusService
{
public:
    BusService(const QString &name, const QString &path, QObject *object)
        : m_connection(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)), m_name(name)
    {
        m_connection.registerObject(path, object, QDBusConnection::ExportAllSlots);
        m_registered = m_connection.registerService(name);
    }
    ~BusService()
    {
        m_connection.unregisterService(m_name);
        QDBusConnection::disconnectFromBus(m_name);
    }
    bool registered() const { return m_registered; }

private:
    QDBusConnection m_connection;
    QString m_name;
    bool m_registered = false;
};

enum class Release { Pause, Stop, End, Error, Destroyed, PausedBeforeTheAnswer, DestroyedBeforeTheAnswer };

} // namespace

// What the app offers the desktop: the idle inhibition while a stream plays.
class TestDesktopIntegration : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (!QDBusConnection::sessionBus().isConnected())
            QSKIP("needs the private session bus of ./scripts/test");
    }

    void inhibitionHeldWhilePlayingOnly_data()
    {
        QTest::addColumn<bool>("portal");
        QTest::addColumn<Release>("release");
        QTest::newRow("pause") << false << Release::Pause;
        QTest::newRow("stop") << false << Release::Stop;
        QTest::newRow("end") << false << Release::End;
        QTest::newRow("error") << false << Release::Error;
        QTest::newRow("inhibitor gone") << false << Release::Destroyed;
        QTest::newRow("paused before the grant") << false << Release::PausedBeforeTheAnswer;
        QTest::newRow("gone before the grant") << false << Release::DestroyedBeforeTheAnswer;
        QTest::newRow("portal: pause") << true << Release::Pause;
        QTest::newRow("portal: inhibitor gone") << true << Release::Destroyed;
    }
    void inhibitionHeldWhilePlayingOnly()
    {
        QFETCH(bool, portal);
        QFETCH(Release, release);
        ScreenSaverStandIn screenSaver;
        PortalStandIn desktopPortal;
        Grants &grants = portal ? desktopPortal.grants : screenSaver.grants;
        const auto service =
            portal
                ? std::make_unique<BusService>(QStringLiteral("org.freedesktop.portal.Desktop"),
                                               QStringLiteral("/org/freedesktop/portal/desktop"),
                                               &desktopPortal)
                : std::make_unique<BusService>(QStringLiteral("org.freedesktop.ScreenSaver"),
                                               QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver);
        QVERIFY(service->registered());
        ScriptedEngine s;
        auto inhibitor = std::make_unique<IdleInhibitor>(s.engine.get(), QDBusConnection::sessionBus());
        s.engine->play(QStringLiteral("http://host/a.mp4"));
        s.player->report(MediaPlayerBackend::Buffering, false);
        s.settle();
        QVERIFY(!inhibitor->isHeld());

        s.player->report(MediaPlayerBackend::Playing, true);
        s.settle();
        switch (release) {
        case Release::PausedBeforeTheAnswer:
            s.player->report(MediaPlayerBackend::Paused, false);
            s.settle();
            QTRY_COMPARE(grants.granted, 1);
            break;
        case Release::DestroyedBeforeTheAnswer:
            inhibitor.reset();
            QTRY_COMPARE(grants.granted, 1);
            break;
        default:
            QTRY_VERIFY(inhibitor->isHeld());
            QCOMPARE(grants.held.size(), 1);
            if (portal)
                QCOMPARE(desktopPortal.lastFlags, 8u); // idle
        }
        switch (release) {
        case Release::Pause:
            s.player->report(MediaPlayerBackend::Paused, false);
            break;
        case Release::Stop:
            s.engine->stop();
            break;
        case Release::End:
            s.player->report(MediaPlayerBackend::Ended, false);
            break;
        case Release::Error:
            s.player->report(MediaPlayerBackend::Error, false);
            break;
        case Release::Destroyed:
            inhibitor.reset();
            break;
        default:
            break;
        }
        s.settle();
        QTRY_VERIFY(grants.held.isEmpty());
        QVERIFY(!inhibitor || !inhibitor->isHeld());
    }

    // Play, pause and zap as fast as the events come, never waiting for the service's answers:
    // one inhibition while the last stream plays, none once it stops.
    void noInhibitionLeftAfterManyCycles()
    {
        ScreenSaverStandIn screenSaver;
        BusService service(QStringLiteral("org.freedesktop.ScreenSaver"),
                           QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver);
        QVERIFY(service.registered());
        ScriptedEngine s;
        IdleInhibitor inhibitor(s.engine.get(), QDBusConnection::sessionBus());
        for (int i = 0; i < 100; ++i) {
            s.engine->play(QStringLiteral("http://host/%1.ts").arg(i));
            s.player->report(MediaPlayerBackend::Playing, true);
            s.settle();
            s.player->report(MediaPlayerBackend::Paused, false);
            s.settle();
            s.player->report(MediaPlayerBackend::Playing, true);
            s.settle();
            if (i % 10 == 0)
                QCoreApplication::processEvents(); // some answers arrive mid-way
        }
        QTRY_VERIFY(inhibitor.isHeld());
        QTRY_COMPARE(screenSaver.grants.held.size(), 1);
        s.engine->stop();
        QTRY_VERIFY(screenSaver.grants.held.isEmpty());
        QVERIFY(!inhibitor.isHeld());
    }

    void quietWithoutServiceOrBus_data()
    {
        QTest::addColumn<bool>("bus");
        QTest::newRow("no service") << true;
        QTest::newRow("no bus") << false;
    }
    void quietWithoutServiceOrBus()
    {
        QFETCH(bool, bus);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        ScriptedEngine s;
        IdleInhibitor inhibitor(s.engine.get(), bus ? QDBusConnection::sessionBus()
                                                    : QDBusConnection(QStringLiteral("never connected")));
        s.engine->play(QStringLiteral("http://host/a.mp4"));
        s.player->report(MediaPlayerBackend::Playing, true);
        s.settle();
        QTRY_COMPARE(inhibitor.route(), IdleInhibitor::Route::None);
        QVERIFY(!inhibitor.isHeld());
    }
};

NORVANE_TEST_MAIN(TestDesktopIntegration)
#include "tst_desktopintegration.moc"
