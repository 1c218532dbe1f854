#include "KeyringSandbox.h"
#include "SessionItems.h"
#include "TestMain.h"
#include "session/Keychain.h"
#include "session/ParentalControl.h"
#include "session/SessionStore.h"
#include "shell/AppModel.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>

#include <csignal>
#include <cstdio>
#include <cstdlib>

using namespace norvane::test;

namespace {

const QString probeAccount = QStringLiteral("keychain_probe");
// Short, so that a keyring that stops answering costs the tests little time.
constexpr int callTimeoutMs = 300;

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

// Runs the probe's commands in a child process of the keyring setting and returns its line.
QString probe(const KeyringSandbox &sandbox, const QString &commands, QProcessEnvironment env)
{
    env.insert(QStringLiteral("NORVANE_KEYCHAIN_PROBE"), commands);
    env.insert(QStringLiteral("NORVANE_KEYCHAIN_SERVICE"), Keychain::service());
    env.insert(QStringLiteral("NORVANE_KEYCHAIN_TIMEOUT_MS"), QString::number(callTimeoutMs));
    // The probe's own files (a forget or a write the keyring did not finish) stay in the sandbox.
    env.insert(QStringLiteral("XDG_DATA_HOME"), sandbox.folder() + QStringLiteral("/probe-data"));
    if (sandbox.keyringPid() > 0)
        env.insert(QStringLiteral("NORVANE_KEYRING_PID"), QString::number(sandbox.keyringPid()));
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
        return QStringLiteral("<failed: %1>").arg(QString::fromUtf8(child.readAllStandardError()).trimmed());
    return QString::fromUtf8(child.readAllStandardOutput()).trimmed();
}

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
        // The empty text and no value delete the item.
        for (const std::optional<QString> &none :
             {std::optional<QString>(QString()), std::optional<QString>()}) {
            Keychain::write(QStringLiteral("secreto"), account);
            Keychain::write(none, account);
            QCOMPARE(Keychain::read(account), std::nullopt);
            QCOMPARE(itemCount(account), 0);
        }
        QVERIFY(Keychain::remove(account)); // deleting a missing item is harmless
    }

    // Items written by another program under the same service and account are ours too (a value
    // that is not UTF-8 reads as absent); writing over one leaves one item.
    void itemsOfOtherPrograms_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("text") << QByteArray("demo") << std::optional<QString>(QStringLiteral("demo"));
        QTest::newRow("utf-8") << QByteArray("ñandú") << std::optional<QString>(QStringLiteral("ñandú"));
        QTest::newRow("not utf-8") << QByteArray("\xff\xfe") << std::optional<QString>();
    }
    void itemsOfOtherPrograms()
    {
        QFETCH(QByteArray, stored);
        QFETCH(std::optional<QString>, expected);
        const QString account = SessionStore::usernameItem;
        storeWithSecretTool(account, stored);
        QCOMPARE(itemCount(account), 1);
        QCOMPARE(Keychain::read(account), expected);
        Keychain::write(QStringLiteral("from-app"), account);
        QCOMPARE(itemCount(account), 1);
        QCOMPARE(Keychain::read(account), QStringLiteral("from-app"));
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

        // What signing out and forgetting leave in the keyring: the application model's tests.
        session.clearSignIn();
        QVERIFY(!session.isLoggedIn());
        QCOMPARE(session.username(), QString());
        session.forgetCredentials();
        QCOMPARE(loggedInChanges.size(), 2);
        // A user name without its password is no saved sign-in.
        Keychain::write(QStringLiteral("demo"), SessionStore::usernameItem);
        QVERIFY(!session.isLoggedIn());
    }
    // Every keyring setting the app can meet: reads, a write and a delete never hang nor fail
    // loudly, and the parental PIN falls back to its public value only when there is no keyring
    // at all, never when one may be there but cannot be read.
    void keyringStates_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("expected");
        const QString noKeyring = QStringLiteral("<absent> <absent> pin=1");
        const QString closed = QStringLiteral("<absent> <absent> pin=0");
        QTest::newRow("working keyring (control)") << "suite"
                                                   << "<absent> written pin=1";
        QTest::newRow("no session bus") << "nobus" << noKeyring;
        QTest::newRow("bus without a secret service") << "bare" << noKeyring;
        QTest::newRow("session bus that cannot be reached") << "unreachable" << closed;
        QTest::newRow("keyring that does not start") << "nostart" << closed;
        QTest::newRow("locked keyring") << "locked" << closed;
        QTest::newRow("locked keyring that does not say so") << "locked-silent" << closed;
        QTest::newRow("keyring daemon not answering") << "frozen" << closed;
    }
    void keyringStates()
    {
        QFETCH(QString, setting);
        QFETCH(QString, expected);
        KeyringSandbox sandbox;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (setting == QLatin1String("nobus") || setting == QLatin1String("unreachable")) {
            env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
            env.remove(QStringLiteral("DISPLAY"));
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), sandbox.folder() + QStringLiteral("/run"));
            if (setting == QLatin1String("unreachable")) // an address whose bus is gone
                env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + sandbox.folder() + QStringLiteral("/gone"));
        } else if (setting != QLatin1String("suite")) {
            // "nostart": a keyring is installed (the bus starts it on demand), and its daemon exits.
            QVERIFY2(sandbox.startBus(setting == QLatin1String("nostart") ? QStringLiteral("/bin/false")
                                                                          : QString()),
                     "private bus did not start");
            env = onBus(sandbox.busAddress());
            if (setting.startsWith(QLatin1String("locked")))
                QVERIFY2(lockProbeItem(sandbox), "keyring daemon did not start");
            if (setting == QLatin1String("locked-silent"))
                QVERIFY(sandbox.refuse(QStringLiteral("org.freedesktop.Secret.Service"),
                                       QStringLiteral("ReadAlias")));
            if (setting == QLatin1String("frozen")) {
                QVERIFY2(sandbox.startKeyring(true), "keyring daemon did not start");
                ::kill(pid_t(sandbox.keyringPid()), SIGSTOP);
            }
        }
        const QString commands =
            QStringLiteral("read:%1 write:%1=written read:%1 remove:%1 pin:8057").arg(probeAccount);
        const QString line = probe(sandbox, commands, env);
        int ms = 0;
        QCOMPARE(wordsOf(line, &ms), expected);
        // Five calls, none longer than its time bound.
        QVERIFY2(ms < 5 * callTimeoutMs + 1000, qPrintable(line));
    }

    // A keyring that stalls for a moment (its daemon stopped) or refuses one call never makes the
    // app forget less, lose a saved value, read an older one or open adult categories. Each entry
    // of `runs` is one process (one start of the app), or "allow": the bus refuses nothing from
    // then on. Their lines are joined with " | ".
    void stallsAndFailures_data()
    {
        QTest::addColumn<QString>("prepared"); // account=value stored by another program first
        QTest::addColumn<QString>("refused");  // interface.member of a call the bus refuses after that
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
            << "Collection.CreateItem" << QStringList{"write:username=new-value read:username"} << "old-value"
            << QStringList{"username=1"};
        // The old item stays beside the new one (written within the same second): reads take the
        // new one, and the next start removes the old one.
        QTest::newRow("a write whose clean-up fails")
            << "username=old-value"
            << "Item.Delete"
            << QStringList{"write:username=new-value read:username count:username", "allow",
                           "read:username count:username"}
            << "new-value 2 | new-value 1" << QStringList{"username=1"};
    }
    void stallsAndFailures()
    {
        QFETCH(QString, prepared);
        QFETCH(QString, refused);
        QFETCH(QStringList, runs);
        QFETCH(QString, expected);
        QFETCH(QStringList, finalCounts);
        KeyringSandbox sandbox;
        QVERIFY2(sandbox.startBus(), "private bus did not start");
        QVERIFY2(sandbox.startKeyring(true), "keyring daemon did not start");
        if (!prepared.isEmpty())
            storeWithSecretTool(prepared.section(QLatin1Char('='), 0, 0),
                                prepared.section(QLatin1Char('='), 1).toUtf8(), sandbox.busAddress());
        if (!refused.isEmpty())
            QVERIFY(sandbox.refuse(QStringLiteral("org.freedesktop.Secret.") +
                                       refused.section(QLatin1Char('.'), 0, 0),
                                   refused.section(QLatin1Char('.'), 1)));
        QStringList lines;
        for (const QString &commands : runs) {
            if (commands == QLatin1String("allow")) {
                QVERIFY(sandbox.refuse({}, {}));
                continue;
            }
            const QString line = probe(sandbox, commands, onBus(sandbox.busAddress()));
            int ms = 0;
            lines << wordsOf(line, &ms);
            // A stalled keyring holds up one user action for one time bound at most.
            QVERIFY2(ms < 3 * callTimeoutMs + 1500, qPrintable(line));
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
    static bool lockProbeItem(KeyringSandbox &sandbox)
    {
        if (!sandbox.startKeyring(true))
            return false;
        storeWithSecretTool(probeAccount, "saved-before-lock", sandbox.busAddress());
        return sandbox.startKeyring(false);
    }
};

NORVANE_TEST_MAIN(TestKeychain)
#include "tst_keychain.moc"
