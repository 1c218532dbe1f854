#include "Keychain.h"
#include "SessionItems.h"
#include "SessionStore.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

const QString probeAccount = QStringLiteral("keychain_probe");

// Started as a child process (NORVANE_KEYCHAIN_PROBE set): read, write, read again, delete, and
// print what was seen and how long it all took. Runs before main so the child needs no QtTest.
int runProbe()
{
    QElapsedTimer clock;
    clock.start();
    const std::optional<QString> before = Keychain::read(probeAccount);
    Keychain::write(QStringLiteral("written"), probeAccount);
    const std::optional<QString> after = Keychain::read(probeAccount);
    Keychain::remove(probeAccount);
    const QByteArray line = "before=" + before.value_or(QStringLiteral("<absent>")).toUtf8() +
                            " after=" + after.value_or(QStringLiteral("<absent>")).toUtf8() +
                            " ms=" + QByteArray::number(clock.elapsed()) + "\n";
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
    return 0;
}

[[maybe_unused]] const bool probeRan = [] {
    if (qEnvironmentVariableIsSet("NORVANE_KEYCHAIN_PROBE"))
        std::exit(runProbe());
    return false;
}();

// Runs a program to its end (a test fails rather than waits forever).
QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(10000))
        process.kill();
    return process.readAllStandardOutput();
}

void storeWithSecretTool(const QString &account, const QByteArray &secret)
{
    run(QStringLiteral("secret-tool"),
        {QStringLiteral("store"), QStringLiteral("--label=x"), QStringLiteral("service"), Keychain::service(),
         QStringLiteral("account"), account},
        secret);
}

// How many keyring items answer to the service and account (duplicates would be a fault).
int itemCount(const QString &account)
{
    const QByteArray out = run(QStringLiteral("secret-tool"),
                               {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("service"),
                                Keychain::service(), QStringLiteral("account"), account});
    int count = 0;
    for (const QByteArray &line : out.split('\n'))
        count += line.startsWith('[') ? 1 : 0;
    return count;
}

// A D-Bus session bus of our own, with no service that could be started on demand.
class PrivateBus
{
  public:
    explicit PrivateBus(const QString &folder)
    {
        const QString config = folder + QStringLiteral("/bus.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(
            QByteArrayLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:dir=") +
            folder.toUtf8() +
            QByteArrayLiteral("</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                              "<allow own=\"*\"/></policy></busconfig>\n"));
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
    }
    QString address() const { return m_address; }

  private:
    QProcess m_daemon;
    QString m_address;
};

// A gnome-keyring daemon on a private bus, keeping its keyrings in the given folder.
class KeyringDaemon
{
  public:
    KeyringDaemon(const QString &busAddress, const QString &folder, bool unlock)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder + QStringLiteral("/run"));
        m_daemon.setProcessEnvironment(env);
        QStringList arguments{QStringLiteral("--foreground"), QStringLiteral("--components=secrets")};
        if (unlock)
            arguments << QStringLiteral("--unlock");
        m_daemon.start(QStringLiteral("gnome-keyring-daemon"), arguments);
        if (!m_daemon.waitForStarted(5000))
            return;
        if (unlock) {
            m_daemon.write("x"); // the keyring password, read until end of input
            m_daemon.waitForBytesWritten(3000);
        }
        m_daemon.closeWriteChannel();
        m_ready = waitForSecretsName(busAddress);
        if (!m_ready)
            qWarning().noquote() << "gnome-keyring-daemon:" << m_daemon.readAllStandardError();
    }
    ~KeyringDaemon()
    {
        if (m_frozen)
            ::kill(pid_t(m_daemon.processId()), SIGCONT);
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
    }
    bool isReady() const { return m_ready; }
    // Keeps the daemon on the bus but never answering.
    void freeze() { m_frozen = ::kill(pid_t(m_daemon.processId()), SIGSTOP) == 0; }

  private:
    static bool waitForSecretsName(const QString &busAddress)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            const QByteArray reply =
                run(QStringLiteral("dbus-send"),
                    {QStringLiteral("--bus=") + busAddress, QStringLiteral("--print-reply"),
                     QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                     QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                     QStringLiteral("string:org.freedesktop.secrets")});
            if (reply.contains("boolean true"))
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    QProcess m_daemon;
    bool m_ready = false;
    bool m_frozen = false;
};

} // namespace

class TestKeychain : public QObject
{
    Q_OBJECT

  private Q_SLOTS:
    // The app's own service text here: items other programs write for Norvane must be read.
    // No other test program uses it.
    void initTestCase() { Keychain::setService(QStringLiteral("app.norvane.Norvane")); }
    void init() { clearAll(); }
    void cleanup() { clearAll(); }

    void writeReadUpdateDelete()
    {
        const QString account = SessionStore::usernameItem;
        QCOMPARE(Keychain::read(account), std::nullopt);

        Keychain::write(QStringLiteral("ana.pérez"), account);
        QCOMPARE(Keychain::read(account), QStringLiteral("ana.pérez"));

        Keychain::write(QStringLiteral("otro+valor&=#"), account);
        QCOMPARE(Keychain::read(account), QStringLiteral("otro+valor&=#"));
        QCOMPARE(itemCount(account), 1);

        Keychain::remove(account);
        QCOMPARE(Keychain::read(account), std::nullopt);
        QCOMPARE(itemCount(account), 0);
        Keychain::remove(account); // deleting a missing item is harmless
    }

    void emptyValueDeletes_data()
    {
        QTest::addColumn<bool>("absent");
        QTest::newRow("empty text") << false;
        QTest::newRow("no value") << true;
    }
    void emptyValueDeletes()
    {
        QFETCH(bool, absent);
        const QString account = SessionStore::passwordItem;
        Keychain::write(QStringLiteral("secreto"), account);
        Keychain::write(absent ? std::nullopt : std::optional<QString>(QString()), account);
        QCOMPARE(Keychain::read(account), std::nullopt);
        QCOMPARE(itemCount(account), 0);
    }

    // Items written by another program under the same service and account are ours too; a value
    // that is empty or not UTF-8 reads as absent.
    void readsItemsOfOtherPrograms_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("text") << QByteArray("demo") << std::optional<QString>(QStringLiteral("demo"));
        QTest::newRow("utf-8") << QByteArray("ñandú") << std::optional<QString>(QStringLiteral("ñandú"));
        QTest::newRow("not utf-8") << QByteArray("\xff\xfe") << std::optional<QString>();
    }
    void readsItemsOfOtherPrograms()
    {
        QFETCH(QByteArray, stored);
        QFETCH(std::optional<QString>, expected);
        const QString account = SessionStore::usernameItem;
        storeWithSecretTool(account, stored);
        QCOMPARE(itemCount(account), 1);
        QCOMPARE(Keychain::read(account), expected);
    }

    void writingOverAnotherProgramsItemLeavesOneItem()
    {
        const QString account = SessionStore::usernameItem;
        storeWithSecretTool(account, "from-tool");
        Keychain::write(QStringLiteral("from-app"), account);
        QCOMPARE(itemCount(account), 1);
        QCOMPARE(Keychain::read(account), QStringLiteral("from-app"));
    }

    void isLoggedInNeedsBothItems_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("both") << "demo" << "demo1234" << true;
        QTest::newRow("no password") << "demo" << "" << false;
        QTest::newRow("no user name") << "" << "demo1234" << false;
        QTest::newRow("neither") << "" << "" << false;
    }
    void isLoggedInNeedsBothItems()
    {
        QFETCH(QString, username);
        QFETCH(QString, password);
        QFETCH(bool, loggedIn);
        Keychain::write(username, SessionStore::usernameItem);
        Keychain::write(password, SessionStore::passwordItem);
        QCOMPARE(SessionStore::shared().isLoggedIn(), loggedIn);
    }

    void signInThenLogOutThenForget()
    {
        SessionStore &session = SessionStore::shared();
        QSignalSpy loggedInChanges(&session, &SessionStore::isLoggedInChanged);
        QSignalSpy usernameChanges(&session, &SessionStore::usernameChanged);

        session.saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"),
                           QStringLiteral("http://b:8080"));
        QVERIFY(session.isLoggedIn());
        QCOMPARE(session.username(), QStringLiteral("demo"));
        QCOMPARE(session.read(SessionStore::lastUsernameItem), QStringLiteral("demo"));
        QCOMPARE(session.read(SessionStore::lastPasswordItem), QStringLiteral("demo1234"));
        QCOMPARE(session.read(SessionStore::serverUrlItem), QStringLiteral("http://b:8080"));
        QCOMPARE(loggedInChanges.size(), 1);
        QCOMPARE(usernameChanges.size(), 1);

        // Saving the same sign-in again changes nothing anyone observes.
        session.saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"),
                           QStringLiteral("http://b:8080"));
        QCOMPARE(loggedInChanges.size(), 1);
        QCOMPARE(usernameChanges.size(), 1);

        session.clearSignIn();
        QVERIFY(!session.isLoggedIn());
        QCOMPARE(session.username(), QString());
        QCOMPARE(session.read(SessionStore::lastUsernameItem), QStringLiteral("demo"));
        QCOMPARE(loggedInChanges.size(), 2);

        session.forgetCredentials();
        QCOMPARE(session.read(SessionStore::lastUsernameItem), std::nullopt);
        QCOMPARE(session.read(SessionStore::lastPasswordItem), std::nullopt);
        QCOMPARE(session.read(SessionStore::serverUrlItem), QStringLiteral("http://b:8080"));
        QCOMPARE(loggedInChanges.size(), 2);
    }

    // Without a working Secret Service every call gives up at once, silently: reads are absent,
    // writes do nothing, and nothing waits. Checked in a child process with its own D-Bus setup.
    void silentWithoutSecretService_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("expectedAfterWrite");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("working keyring (control)") << "suite" << "written" << 1000;
        QTest::newRow("no session bus") << "nobus" << "<absent>" << 1000;
        QTest::newRow("bus without a secret service") << "bare" << "<absent>" << 1000;
        QTest::newRow("locked keyring") << "locked" << "<absent>" << 1000;
        // The first call runs into the 1.5 s time-out; the others do not ask again.
        QTest::newRow("keyring daemon not answering") << "frozen" << "<absent>" << 2500;
    }
    void silentWithoutSecretService()
    {
        QFETCH(QString, setting);
        QFETCH(QString, expectedAfterWrite);
        QFETCH(int, maxMs);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QDir().mkpath(folder.path() + QStringLiteral("/run"));
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        QFile::setPermissions(folder.path() + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("NORVANE_KEYCHAIN_PROBE"), QStringLiteral("1"));
        std::unique_ptr<PrivateBus> bus;
        std::unique_ptr<KeyringDaemon> keyring;
        if (setting == QLatin1String("nobus")) {
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.remove(QStringLiteral("DISPLAY"));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path() + QStringLiteral("/run"));
        } else if (setting != QLatin1String("suite")) {
            bus = std::make_unique<PrivateBus>(folder.path());
            QVERIFY2(!bus->address().isEmpty(), "private bus did not start");
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus->address());
            if (setting == QLatin1String("locked")) {
                keyring = lockedKeyringWithProbeItem(bus->address(), folder.path());
                QVERIFY2(keyring, "keyring daemon did not start");
            } else if (setting == QLatin1String("frozen")) {
                keyring = std::make_unique<KeyringDaemon>(bus->address(), folder.path(), true);
                QVERIFY2(keyring->isReady(), "keyring daemon did not start");
                keyring->freeze();
            }
        }

        QProcess probe;
        probe.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        probe.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(probe.waitForStarted(5000));
        const bool finished = probe.waitForFinished(15000);
        if (!finished)
            probe.kill();
        QVERIFY2(finished, "keyring calls hung");
        const QString line = QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
        qInfo().noquote() << setting << line << "process ms:" << clock.elapsed();
        QVERIFY2(
            line.startsWith(QStringLiteral("before=<absent> after=") + expectedAfterWrite + QLatin1Char(' ')),
            qPrintable(line));
        const int callsMs = line.section(QStringLiteral("ms="), 1).toInt();
        QVERIFY2(callsMs < maxMs, qPrintable(line));
    }

  private:
    static void clearAll()
    {
        norvane::test::clearSessionItems();
        Keychain::remove(probeAccount);
    }

    // A login keyring holding the probe's item, locked: created unlocked, then the daemon is
    // started again without the password.
    static std::unique_ptr<KeyringDaemon> lockedKeyringWithProbeItem(const QString &busAddress,
                                                                     const QString &folder)
    {
        {
            KeyringDaemon unlocked(busAddress, folder, true);
            if (!unlocked.isReady())
                return nullptr;
            QProcess store;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
            store.setProcessEnvironment(env);
            store.start(QStringLiteral("secret-tool"),
                        {QStringLiteral("store"), QStringLiteral("--label=x"), QStringLiteral("service"),
                         Keychain::service(), QStringLiteral("account"), probeAccount});
            store.waitForStarted(5000);
            store.write("saved-before-lock");
            store.closeWriteChannel();
            store.waitForFinished(10000);
        }
        auto locked = std::make_unique<KeyringDaemon>(busAddress, folder, false);
        return locked->isReady() ? std::move(locked) : nullptr;
    }
};

NORVANE_TEST_MAIN(TestKeychain)
#include "tst_keychain.moc"
