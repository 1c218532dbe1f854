#include "AppModel.h"
#include "Keychain.h"
#include "ParentalControl.h"
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

// Runs a program to its end (a test fails rather than waits forever).
QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {},
               const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(10000))
        process.kill();
    return process.readAllStandardOutput();
}

QProcessEnvironment onBus(const QString &busAddress)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!busAddress.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    return env;
}

void storeWithSecretTool(const QString &account, const QByteArray &secret, const QString &busAddress = {})
{
    run(QStringLiteral("secret-tool"),
        {QStringLiteral("store"), QStringLiteral("--label=x"), QStringLiteral("service"), Keychain::service(),
         QStringLiteral("account"), account},
        secret, onBus(busAddress));
}

// How many keyring items answer to the service and account (duplicates would be a fault).
int itemCount(const QString &account, const QString &busAddress = {})
{
    const QByteArray out = run(QStringLiteral("secret-tool"),
                               {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("service"),
                                Keychain::service(), QStringLiteral("account"), account},
                               {}, onBus(busAddress));
    int count = 0;
    for (const QByteArray &line : out.split('\n'))
        count += line.startsWith('[') ? 1 : 0;
    return count;
}

// A child process (NORVANE_KEYCHAIN_PROBE set) runs the blank-separated commands of the probe
// text, one user action each, and prints one word for each command that answers, then the time
// all of it took. It runs before main, so the child needs no QtTest.
class Probe
{
public:
    QString run(const QString &command)
    {
        const QString name = command.section(QLatin1Char(':'), 0, 0);
        const QString argument = command.section(QLatin1Char(':'), 1);
        if (name == QLatin1String("stop") || name == QLatin1String("cont")) {
            ::kill(pid_t(qEnvironmentVariableIntValue("NORVANE_KEYRING_PID")),
                   name == QLatin1String("stop") ? SIGSTOP : SIGCONT);
            return {};
        }
        if (name == QLatin1String("read"))
            return Keychain::read(argument).value_or(QStringLiteral("<absent>"));
        if (name == QLatin1String("write")) {
            Keychain::write(argument.section(QLatin1Char('='), 1), argument.section(QLatin1Char('='), 0, 0));
            return {};
        }
        if (name == QLatin1String("remove")) {
            Keychain::remove(argument);
            return {};
        }
        if (name == QLatin1String("pin"))
            return QStringLiteral("pin=%1").arg(ParentalControl::acceptsPin(argument) ? 1 : 0);
        if (name == QLatin1String("save")) {
            SessionStore::shared().saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"),
                                              QStringLiteral("http://b:8080"));
            return QStringLiteral("saved");
        }
        if (name == QLatin1String("app")) { // start-up: the form is filled from the last sign-in
            m_app = std::make_unique<AppModel>();
            return QStringLiteral("form=") + m_app->loginUser();
        }
        if (name == QLatin1String("forget")) { // the settings screen's forget action
            m_app->forgetCredentials();
            return QStringLiteral("form=") + m_app->loginUser();
        }
        if (name == QLatin1String("signed"))
            return QStringLiteral("signed=%1").arg(SessionStore::shared().isLoggedIn() ? 1 : 0);
        if (name == QLatin1String("count"))
            return QString::number(itemCount(argument));
        if (name == QLatin1String("lookup")) // as another program sees the item
            return QString::fromUtf8(::run(QStringLiteral("secret-tool"),
                                           {QStringLiteral("lookup"), QStringLiteral("service"),
                                            Keychain::service(), QStringLiteral("account"), argument}));
        return QStringLiteral("unknown-command");
    }

private:
    std::unique_ptr<AppModel> m_app;
};

int runProbe()
{
    static int argc = 1;
    static char name[] = "tst_keychain";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    Keychain::setService(qEnvironmentVariable("NORVANE_KEYCHAIN_SERVICE"));
    Keychain::setCallTimeout(
        std::chrono::milliseconds(qEnvironmentVariableIntValue("NORVANE_KEYCHAIN_TIMEOUT_MS")));
    Probe probe;
    QStringList words;
    QElapsedTimer clock;
    clock.start();
    for (const QString &command : qEnvironmentVariable("NORVANE_KEYCHAIN_PROBE").split(QLatin1Char(' '))) {
        const QString word = probe.run(command);
        if (!word.isNull())
            words << word;
        QCoreApplication::processEvents(); // the next command is another user action
    }
    words << QStringLiteral("ms=%1").arg(clock.elapsed());
    std::fputs(words.join(QLatin1Char(' ')).toUtf8().append('\n').constData(), stdout);
    std::fflush(stdout);
    return 0;
}

[[maybe_unused]] const bool probeRan = [] {
    if (qEnvironmentVariableIsSet("NORVANE_KEYCHAIN_PROBE"))
        std::exit(runProbe());
    return false;
}();

// A D-Bus session bus of our own, with no service that could be started on demand.
class PrivateBus
{
public:
    explicit PrivateBus(const QString &folder)
        : m_config(folder + QStringLiteral("/bus.conf")), m_folder(folder)
    {
        if (!writeConfig({}))
            return;
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + m_config, QStringLiteral("--nofork"),
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

    // From now on the bus refuses every call of this keyring method (the caller gets an error).
    bool refuse(const QString &member)
    {
        const QByteArray rule = "<deny send_interface=\"org.freedesktop.Secret.Collection\" send_member=\"" +
                                member.toUtf8() + "\"/>";
        return writeConfig(rule) &&
               run(QStringLiteral("dbus-send"),
                   {QStringLiteral("--bus=") + m_address, QStringLiteral("--print-reply"),
                    QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus.ReloadConfig")})
                   .contains("method return");
    }

private:
    bool writeConfig(const QByteArray &extraRule)
    {
        QFile file(m_config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(
            QByteArrayLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:dir=") +
            m_folder.toUtf8() +
            QByteArrayLiteral("</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                              "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                              "<allow own=\"*\"/>") +
            extraRule + QByteArrayLiteral("</policy></busconfig>\n"));
        return file.error() == QFileDevice::NoError;
    }

    QString m_config;
    QString m_folder;
    QProcess m_daemon;
    QString m_address;
};

// A gnome-keyring daemon on a private bus, keeping its keyrings in the given folder.
class KeyringDaemon
{
public:
    KeyringDaemon(const QString &busAddress, const QString &folder, bool unlock)
    {
        QProcessEnvironment env = onBus(busAddress);
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
        ::kill(pid_t(m_daemon.processId()), SIGCONT); // a probe may have left it stopped
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
    }
    bool isReady() const { return m_ready; }
    qint64 pid() const { return m_daemon.processId(); }

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
};

// A folder for one keyring setting: the bus, the keyring daemon and the probe's own files.
struct Sandbox
{
    QTemporaryDir folder;
    std::unique_ptr<PrivateBus> bus;
    std::unique_ptr<KeyringDaemon> keyring;

    Sandbox()
    {
        QDir().mkpath(folder.path() + QStringLiteral("/run"));
        QDir().mkpath(folder.path() + QStringLiteral("/data"));
        QFile::setPermissions(folder.path() + QStringLiteral("/run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString busAddress() const { return bus ? bus->address() : QString(); }
    bool startBus()
    {
        bus = std::make_unique<PrivateBus>(folder.path());
        return !bus->address().isEmpty();
    }
    bool startKeyring(bool unlocked)
    {
        keyring = std::make_unique<KeyringDaemon>(busAddress(), folder.path(), unlocked);
        return keyring->isReady();
    }

    // Runs the probe's commands in a child process of the setting and returns its line.
    QString probe(const QString &commands, QProcessEnvironment env)
    {
        env.insert(QStringLiteral("NORVANE_KEYCHAIN_PROBE"), commands);
        env.insert(QStringLiteral("NORVANE_KEYCHAIN_SERVICE"), Keychain::service());
        env.insert(QStringLiteral("NORVANE_KEYCHAIN_TIMEOUT_MS"), QString::number(callTimeoutMs));
        // The probe's own files (a forget that could not finish) stay in the sandbox.
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder.path() + QStringLiteral("/probe-data"));
        if (keyring)
            env.insert(QStringLiteral("NORVANE_KEYRING_PID"), QString::number(keyring->pid()));
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        if (!child.waitForStarted(5000))
            return QStringLiteral("<not started>");
        if (!child.waitForFinished(15000)) {
            child.kill();
            return QStringLiteral("<hung>");
        }
        // A child that dies (a crash, a sanitizer's report) says why instead of answering nothing.
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            return QStringLiteral("<failed: %1>")
                .arg(QString::fromUtf8(child.readAllStandardError()).trimmed());
        return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
    }

    // Short, so that a keyring that stops answering costs the tests little time.
    static constexpr int callTimeoutMs = 300;
};

// The probe's words without the time it took (its last word); the time into `ms`.
QString wordsOf(const QString &line, int *ms)
{
    QStringList words = line.split(QLatin1Char(' '));
    *ms = words.takeLast().section(QLatin1Char('='), 1).toInt();
    return words.join(QLatin1Char(' '));
}

} // namespace

class TestKeychain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Never the app's own items: a developer running this outside ./scripts/test keeps their sign-in.
        QVERIFY(Keychain::service() != Keychain::appService());
    }
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
        QTest::newRow("both") << "demo"
                              << "demo1234" << true;
        QTest::newRow("no password") << "demo"
                                     << "" << false;
        QTest::newRow("no user name") << ""
                                      << "demo1234" << false;
        QTest::newRow("neither") << ""
                                 << "" << false;
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
    // Every keyring setting the app can meet: reads, a write and a delete never hang nor fail
    // loudly, and the parental PIN falls back to its public value only when there is no keyring
    // at all, never when one is there but cannot be read.
    void keyringStates_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("expected");
        QTest::newRow("working keyring (control)") << "suite"
                                                   << "<absent> written pin=1";
        QTest::newRow("no session bus") << "nobus"
                                        << "<absent> <absent> pin=1";
        QTest::newRow("bus without a secret service") << "bare"
                                                      << "<absent> <absent> pin=1";
        QTest::newRow("locked keyring") << "locked"
                                        << "<absent> <absent> pin=0";
        QTest::newRow("keyring daemon not answering") << "frozen"
                                                      << "<absent> <absent> pin=0";
    }
    void keyringStates()
    {
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        Sandbox sandbox;
        QVERIFY(sandbox.folder.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (setting == QLatin1String("nobus")) {
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.remove(QStringLiteral("DISPLAY"));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), sandbox.folder.path() + QStringLiteral("/run"));
        } else if (setting != QLatin1String("suite")) {
            QVERIFY2(sandbox.startBus(), "private bus did not start");
            env = onBus(sandbox.busAddress());
            if (setting == QLatin1String("locked"))
                QVERIFY2(lockProbeItem(sandbox), "keyring daemon did not start");
            if (setting == QLatin1String("frozen")) {
                QVERIFY2(sandbox.startKeyring(true), "keyring daemon did not start");
                ::kill(pid_t(sandbox.keyring->pid()), SIGSTOP);
            }
        }
        const QString commands =
            QStringLiteral("read:%1 write:%1=written read:%1 remove:%1 pin:8057").arg(probeAccount);
        const QString line = sandbox.probe(commands, env);
        int ms = 0;
        QCOMPARE(wordsOf(line, &ms), expected);
        // Five calls, none longer than its time bound.
        QVERIFY2(ms < 5 * Sandbox::callTimeoutMs + 1000, qPrintable(line));
    }

    // A keyring that stalls for a moment (its daemon stopped) or refuses one call never makes the
    // app forget less, lose a saved value or open adult categories. Each entry of `runs` is one
    // process (one start of the app); their lines are joined with " | ".
    void stallsAndFailures_data()
    {
        QTest::addColumn<QString>("prepared"); // account=value stored by another program first
        QTest::addColumn<QString>("refused");  // a keyring method the bus refuses after that
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("finalCounts"); // account=items left at the end
        const QStringList forgotten{"username=0", "password=0", "last_username=0", "last_password=0",
                                    "server_url=1"};
        // The delete does not reach the stopped daemon: the next start must neither sign in nor
        // fill the form with the forgotten account, and removes it.
        QTest::newRow("forget while the keyring stalls")
            << ""
            << "" << QStringList{"save", "app stop forget cont count:username", "app signed"}
            << "saved | form=demo form= 1 | form= signed=0" << forgotten;
        // One slow call earlier in the run does not turn later deletes into nothing.
        QTest::newRow("forget after a stalled read")
            << ""
            << ""
            << QStringList{"save", "app stop read:server_url cont forget count:username count:last_username",
                           "app signed"}
            << "saved | form=demo <absent> form= 0 0 | form= signed=0" << forgotten;
        QTest::newRow("stored PIN while the keyring stalls, then again")
            << "parental_pin=2468"
            << "" << QStringList{"stop pin:2468 pin:8057 cont pin:8057 pin:2468"} << "pin=0 pin=0 pin=0 pin=1"
            << QStringList{"parental_pin=1"};
        QTest::newRow("a write that fails keeps the old value")
            << "username=old-value"
            << "CreateItem" << QStringList{"write:username=new-value lookup:username"} << "old-value"
            << QStringList{"username=1"};
    }
    void stallsAndFailures()
    {
        QFETCH(QString, prepared);
        QFETCH(QString, refused);
        QFETCH(QStringList, runs);
        QFETCH(QString, expected);
        QFETCH(QStringList, finalCounts);
        Sandbox sandbox;
        QVERIFY(sandbox.folder.isValid());
        QVERIFY2(sandbox.startBus(), "private bus did not start");
        QVERIFY2(sandbox.startKeyring(true), "keyring daemon did not start");
        if (!prepared.isEmpty())
            storeWithSecretTool(prepared.section(QLatin1Char('='), 0, 0),
                                prepared.section(QLatin1Char('='), 1).toUtf8(), sandbox.busAddress());
        if (!refused.isEmpty())
            QVERIFY(sandbox.bus->refuse(refused));
        QStringList lines;
        for (const QString &commands : runs) {
            const QString line = sandbox.probe(commands, onBus(sandbox.busAddress()));
            int ms = 0;
            lines << wordsOf(line, &ms);
            // A stalled keyring holds up one user action for one time bound at most.
            QVERIFY2(ms < 3 * Sandbox::callTimeoutMs + 1500, qPrintable(line));
        }
        QCOMPARE(lines.join(QStringLiteral(" | ")), expected);
        for (const QString &count : finalCounts)
            QCOMPARE(QStringLiteral("%1=%2")
                         .arg(count.section(QLatin1Char('='), 0, 0))
                         .arg(itemCount(count.section(QLatin1Char('='), 0, 0), sandbox.busAddress())),
                     count);
    }

private:
    static void clearAll()
    {
        norvane::test::clearSessionItems();
        Keychain::remove(probeAccount);
    }

    // A login keyring holding the probe's item, locked: created unlocked, then the daemon is
    // started again without the password.
    static bool lockProbeItem(Sandbox &sandbox)
    {
        if (!sandbox.startKeyring(true))
            return false;
        storeWithSecretTool(probeAccount, "saved-before-lock", sandbox.busAddress());
        sandbox.keyring.reset();
        return sandbox.startKeyring(false);
    }
};

NORVANE_TEST_MAIN(TestKeychain)
#include "tst_keychain.moc"
