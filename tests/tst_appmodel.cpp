#include "SampleMedia.h"
#include "SampleProvider.h"
#include "SessionItems.h"
#include "TestMain.h"
#include "client/ApiConnection.h"
#include "playback/VLCEngine.h"
#include "session/Keychain.h"
#include "session/SessionStore.h"
#include "shell/AppModel.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTimer>
#include <QWindow>

using namespace std::chrono_literals;

namespace {

// How one test server answers the sign-in request.
enum class Verdict { Success, Expired, Disabled, Banned, Invalid, Http500, Html, TimesOut, Refused };

const QString expectedExpired = QStringLiteral("Tu suscripción está vencida.\nContacta a tu proveedor.");
const QString expectedDisabled = QStringLiteral("Esta cuenta está deshabilitada.\nContacta a tu proveedor.");
const QString expectedInvalid = QStringLiteral("Usuario o contraseña incorrectos.");
const QString expectedNoConnection =
    QStringLiteral("Sin conexión con el servidor.\nRevisa tu internet e inténtalo de nuevo.");

QByteArray accountAnswer(const char *status)
{
    return QByteArray(R"({"user_info":{"username":"demo","auth":1,"status":")") + status + "\"}}";
}

// A loopback address where nothing listens.
QString refusedBase()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

// What the user does to the application's window (or the desktop to the application).
using WindowStep = std::function<void(QWindow &)>;

} // namespace

Q_DECLARE_METATYPE(Verdict)
Q_DECLARE_METATYPE(WindowStep)

class TestAppModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // A server that never answers must give up quickly here.
        ApiConnection::setIdleTimeout(600ms);
        QVERIFY(m_first.listenOn());
        QVERIFY(m_second.listenOn());
    }

    void init()
    {
        norvane::test::clearSessionItems();
        m_first.clearScript();
        m_second.clearScript();
        m_first.clearLog();
        m_second.clearLog();
    }
    void cleanup() { norvane::test::clearSessionItems(); }

    void serverOrder_data()
    {
        QTest::addColumn<QString>("savedServer");
        QTest::addColumn<int>("expectedServer"); // 0 first, 1 second
        QTest::newRow("nothing saved") << QString() << 0;
        QTest::newRow("second saved") << "second" << 1;
        QTest::newRow("first saved") << "first" << 0;
        QTest::newRow("saved server no longer a default") << "http://old.example:8080" << 0;
    }
    void serverOrder()
    {
        QFETCH(QString, savedServer);
        QFETCH(int, expectedServer);
        if (savedServer == QLatin1String("first"))
            savedServer = m_first.baseUrl();
        else if (savedServer == QLatin1String("second"))
            savedServer = m_second.baseUrl();
        Keychain::write(savedServer, SessionStore::serverUrlItem);

        auto model = makeModel();
        fillForm(*model, QStringLiteral("demo"), QStringLiteral("demo1234"));
        QCoro::waitFor(model->runLogin());

        // The first server tried accepts, so the other one is never asked.
        SampleProvider &used = expectedServer == 0 ? m_first : m_second;
        SampleProvider &unused = expectedServer == 0 ? m_second : m_first;
        QCOMPARE(used.requests(QString()).size(), 1);
        QCOMPARE(unused.requests(QString()).size(), 0);
        QCOMPARE(model->phase(), AppModel::Phase::Home);
        QCOMPARE(model->client()->base(), used.baseUrl());
    }

    void verdictsBetweenServers_data()
    {
        QTest::addColumn<Verdict>("first");
        QTest::addColumn<Verdict>("second");
        QTest::addColumn<QString>("message"); // empty: signed in
        QTest::newRow("expired then success") << Verdict::Expired << Verdict::Success << QString();
        QTest::newRow("invalid then time-out") << Verdict::Invalid << Verdict::TimesOut << expectedInvalid;
        QTest::newRow("disabled then expired keeps disabled")
            << Verdict::Disabled << Verdict::Expired << expectedDisabled;
        QTest::newRow("expired then banned keeps expired")
            << Verdict::Expired << Verdict::Banned << expectedExpired;
        QTest::newRow("invalid then expired") << Verdict::Invalid << Verdict::Expired << expectedExpired;
        QTest::newRow("server error then invalid") << Verdict::Http500 << Verdict::Invalid << expectedInvalid;
        QTest::newRow("both unreachable") << Verdict::Refused << Verdict::Refused << expectedNoConnection;
        QTest::newRow("both HTTP errors") << Verdict::Http500 << Verdict::Http500 << expectedNoConnection;
        QTest::newRow("both unreadable") << Verdict::Html << Verdict::Html << expectedNoConnection;
        QTest::newRow("unreadable then time-out")
            << Verdict::Html << Verdict::TimesOut << expectedNoConnection;
    }
    void verdictsBetweenServers()
    {
        QFETCH(Verdict, first);
        QFETCH(Verdict, second);
        QFETCH(QString, message);
        auto model = makeModel();
        model->setServers({script(m_first, first), script(m_second, second)});
        fillForm(*model, QStringLiteral("demo"), QStringLiteral("demo1234"));
        QSignalSpy loggingIn(model.get(), &AppModel::isLoggingInChanged);

        QCoro::waitFor(model->runLogin());

        QCOMPARE(loggingIn.size(), 2); // on, then off
        QVERIFY(!model->isLoggingIn());
        if (message.isEmpty()) {
            QCOMPARE(model->phase(), AppModel::Phase::Home);
            QVERIFY(!model->hasLoginMessage());
            QCOMPARE(model->client()->base(), m_second.baseUrl());
            QCOMPARE(Keychain::read(SessionStore::serverUrlItem), m_second.baseUrl());
        } else {
            QCOMPARE(model->phase(),
                     AppModel::Phase::Splash); // a form sign-in never moves the phase on failure
            QCOMPARE(model->loginMessage(), message);
            QVERIFY(!model->hasClient());
            QCOMPARE(Keychain::read(SessionStore::usernameItem), std::nullopt);
        }
    }

    void messageClearedWhenNextSignInStarts()
    {
        auto model = makeModel();
        fillForm(*model, QStringLiteral("demo"), QStringLiteral("wrong"));
        QCoro::waitFor(model->runLogin());
        QCOMPARE(model->loginMessage(), expectedInvalid);

        model->setLoginPassword(QStringLiteral("demo1234"));
        QSignalSpy messages(model.get(), &AppModel::loginMessageChanged);
        QCoro::Task<> running = model->runLogin();
        QVERIFY(model->isLoggingIn());
        QVERIFY(!model->hasLoginMessage());
        QCoro::waitFor(running);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(model->phase(), AppModel::Phase::Home);
    }

    void userNameTrimming_data()
    {
        QTest::addColumn<QString>("typedUser");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<QString>("sentUser");
        QTest::addColumn<bool>("signedIn");
        QTest::newRow("spaces and tabs") << " \t demo \t"
                                         << "demo1234"
                                         << "demo" << true;
        QTest::newRow("unicode space separators")
            << QStringLiteral("\u00a0\u2003demo\u3000\u202f") << "demo1234"
            << "demo" << true;
        QTest::newRow("line break stays") << "demo\n"
                                          << "demo1234"
                                          << "demo\n"
                                          << false;
        QTest::newRow("password sent as typed") << "demo"
                                                << " demo1234 "
                                                << "demo" << false;
        QTest::newRow("blanks only") << "   "
                                     << "demo1234"
                                     << "" << false;
    }
    void userNameTrimming()
    {
        QFETCH(QString, typedUser);
        QFETCH(QString, typedPassword);
        QFETCH(QString, sentUser);
        QFETCH(bool, signedIn);
        auto model = makeModel();
        model->setServers({m_first.baseUrl()});
        fillForm(*model, typedUser, typedPassword);

        QCoro::waitFor(model->runLogin());

        const QList<ProviderRequest> requests = m_first.requests(QString());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.first().query.value(QStringLiteral("username")), sentUser);
        QCOMPARE(requests.first().query.value(QStringLiteral("password")), typedPassword);
        QCOMPARE(model->phase() == AppModel::Phase::Home, signedIn);
        QCOMPARE(model->loginUser(), typedUser); // the form keeps what was typed
        if (signedIn) {
            QCOMPARE(Keychain::read(SessionStore::usernameItem), sentUser);
            QCOMPARE(Keychain::read(SessionStore::lastUsernameItem), sentUser);
            QCOMPARE(Keychain::read(SessionStore::passwordItem), typedPassword);
            QCOMPARE(Keychain::read(SessionStore::lastPasswordItem), typedPassword);
            QCOMPARE(model->client()->username(), sentUser);
        }
    }

    // The splash lasts at least its minimum; a slower silent sign-in holds it until it is done.
    // The connection is set as soon as the sign-in succeeds, while the splash may still wait.
    void silentSignInAtStart_data()
    {
        QTest::addColumn<int>("signInDelayMs");
        QTest::addColumn<int>("minimumMs");
        // The minimum leaves room for a slow (sanitized, loaded) run to finish the sign-in first.
        QTest::newRow("quick sign-in waits out the splash") << 100 << 1500;
        QTest::newRow("slow sign-in ends the splash when done") << 350 << 100;
    }
    void silentSignInAtStart()
    {
        QFETCH(int, signInDelayMs);
        QFETCH(int, minimumMs);
        saveSignIn(m_second.baseUrl());
        ProviderFault slow{.delayMs = signInDelayMs};
        m_second.setFault(QString(), slow);

        auto model = makeModel();
        model->setSplashMinimum(std::chrono::milliseconds(minimumMs));
        AppModel::Phase phaseWhenClientSet = AppModel::Phase::Home;
        bool eventLoopRanSinceSignIn = false;
        bool phaseMovedRightAfterSignIn = false;
        connect(model.get(), &AppModel::clientChanged, this, [&] {
            phaseWhenClientSet = model->phase();
            QTimer::singleShot(0, model.get(), [&] { eventLoopRanSinceSignIn = true; });
        });
        connect(model.get(), &AppModel::phaseChanged, this,
                [&] { phaseMovedRightAfterSignIn = !eventLoopRanSinceSignIn; });
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(model->runStart());
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(model->phase(), AppModel::Phase::Home);
        QCOMPARE(phaseWhenClientSet, AppModel::Phase::Splash);
        QCOMPARE(model->client()->base(), m_second.baseUrl()); // the saved server is tried first
        QCOMPARE(m_first.requests(QString()).size(), 0);
        QVERIFY2(elapsed >= std::max(signInDelayMs, minimumMs), qPrintable(QString::number(elapsed)));
        // A sign-in slower than the minimum ends the splash as soon as it is done; a quicker one
        // leaves it waiting for the minimum.
        QCOMPARE(phaseMovedRightAfterSignIn, signInDelayMs > minimumMs);
    }

    void startWithoutSavedSignInEndsOnLogin()
    {
        Keychain::write(QStringLiteral("demo"), SessionStore::usernameItem); // no password: incomplete
        auto model = makeModel();
        QElapsedTimer clock;
        clock.start();
        QCoro::waitFor(model->runStart());
        QVERIFY(clock.elapsed() >= 100);
        QCOMPARE(model->phase(), AppModel::Phase::Login);
        QCOMPARE(m_first.requests().size() + m_second.requests().size(), 0);
    }

    void failedSilentSignInIsNotReported()
    {
        saveSignIn(m_first.baseUrl());
        m_first.setAnswer(QString(), accountAnswer("Expired"));
        m_second.setAnswer(QString(), accountAnswer("Expired"));
        auto model = makeModel();
        QCoro::waitFor(model->runStart());
        QCOMPARE(model->phase(), AppModel::Phase::Login);
        QVERIFY(!model->hasLoginMessage());
        QVERIFY(!model->hasClient());
        QCOMPARE(model->loginUser(), QStringLiteral("demo")); // filled from the last sign-in
        QCOMPARE(model->loginPassword(), QStringLiteral("demo1234"));
    }

    void logOutKeepsLastSignIn()
    {
        auto model = makeModel();
        fillForm(*model, QStringLiteral(" demo "), QStringLiteral("demo1234"));
        QCoro::waitFor(model->runLogin());
        QCOMPARE(model->phase(), AppModel::Phase::Home);
        model->setOpenTab(AppModel::AppTab::Movies);
        model->setLoginUser(QStringLiteral("edited"));

        // The engine is stopped after the connection and the section are gone, before the form refills.
        bool stoppedInOrder = false;
        connect(model.get(), &AppModel::playbackStopRequested, this, [&] {
            stoppedInOrder =
                !model->hasClient() && !model->openTab() && model->loginUser() == QLatin1String("edited");
        });
        QSignalSpy stops(model.get(), &AppModel::playbackStopRequested);
        model->logOut();

        QCOMPARE(stops.size(), 1);
        QVERIFY(stoppedInOrder);
        QCOMPARE(model->phase(), AppModel::Phase::Login);
        QCOMPARE(model->loginUser(), QStringLiteral("demo"));
        QCOMPARE(model->loginPassword(), QStringLiteral("demo1234"));
        QCOMPARE(Keychain::read(SessionStore::usernameItem), std::nullopt);
        QCOMPARE(Keychain::read(SessionStore::passwordItem), std::nullopt);
        QCOMPARE(Keychain::read(SessionStore::lastUsernameItem), QStringLiteral("demo"));
        QCOMPARE(Keychain::read(SessionStore::serverUrlItem), m_first.baseUrl());

        // With nothing saved any more, the next start ends on the form.
        auto next = makeModel();
        QCOMPARE(next->loginUser(), QStringLiteral("demo"));
        QCoro::waitFor(next->runStart());
        QCOMPARE(next->phase(), AppModel::Phase::Login);
    }

    void forgetEmptiesEverythingButTheServer()
    {
        auto model = makeModel();
        model->setServers({m_second.baseUrl(), m_first.baseUrl()});
        fillForm(*model, QStringLiteral("demo"), QStringLiteral("demo1234"));
        QCoro::waitFor(model->runLogin());
        QCOMPARE(model->phase(), AppModel::Phase::Home);
        QSignalSpy stops(model.get(), &AppModel::playbackStopRequested);

        model->forgetCredentials();

        QCOMPARE(stops.size(), 1);
        QCOMPARE(model->phase(), AppModel::Phase::Login);
        QCOMPARE(model->loginUser(), QString());
        QCOMPARE(model->loginPassword(), QString());
        QVERIFY(!model->hasClient());
        for (QLatin1String item : {SessionStore::usernameItem, SessionStore::passwordItem,
                                   SessionStore::lastUsernameItem, SessionStore::lastPasswordItem})
            QCOMPARE(Keychain::read(item), std::nullopt);
        QCOMPARE(Keychain::read(SessionStore::serverUrlItem), m_second.baseUrl());

        auto next = makeModel();
        QCOMPARE(next->loginUser(), QString());
        QCoro::waitFor(next->runStart());
        QCOMPARE(next->phase(), AppModel::Phase::Login);
    }

    void fieldsNotifyOnlyOnRealChange()
    {
        auto model = makeModel();
        QSignalSpy users(model.get(), &AppModel::loginUserChanged);
        QSignalSpy tabs(model.get(), &AppModel::openTabChanged);
        model->setLoginUser(QStringLiteral("a"));
        model->setLoginUser(QStringLiteral("a"));
        model->setOpenTabValue(int(AppModel::AppTab::Search));
        model->setOpenTab(AppModel::AppTab::Search);
        QCOMPARE(users.size(), 1);
        QCOMPARE(tabs.size(), 1);
        QCOMPARE(model->openTabValue(), QVariant(int(AppModel::AppTab::Search)));
        model->setOpenTabValue(QVariant());
        QCOMPARE(model->openTab(), std::nullopt);
        model->setOpenTabValue(42); // not a section: the menu
        QCOMPARE(model->openTab(), std::nullopt);
        QCOMPARE(tabs.size(), 2);
    }

    void signingOutStopsTheEngineOnlyOnceItExists()
    {
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy,--vout=dummy");
        auto model = makeModel();
        fillForm(*model, QStringLiteral("demo"), QStringLiteral("demo1234"));
        QCoro::waitFor(model->runLogin());
        model->logOut();
        // Nothing played yet: signing out must not start libVLC just to stop it.
        QVERIFY(!VLCEngine::existing());

        VLCEngine *engine = VLCEngine::shared();
        QCOMPARE(VLCEngine::existing(), engine);
        QCOMPARE(engine->status(), VLCEngine::Status::Idle);
        QCoro::waitFor(model->runLogin());
        model->logOut();
        QCOMPARE(engine->status(), VLCEngine::Status::Stopped);
    }

    // Going to the background pauses the engine itself, and coming back does not resume it. On
    // a desktop that is a minimised or hidden window, or the whole application hidden or
    // suspended; another window taking the focus is not, and the film plays on.
    void onlyTheBackgroundPauses_data()
    {
        QTest::addColumn<WindowStep>("leave");
        QTest::addColumn<WindowStep>("comeBack");
        QTest::addColumn<bool>("pauses");
        const auto state = [](Qt::ApplicationState to) {
            return WindowStep([to](QWindow &) { Q_EMIT qGuiApp->applicationStateChanged(to); });
        };
        const WindowStep active = state(Qt::ApplicationActive);
        const WindowStep restore = [](QWindow &window) {
            window.showNormal();
            Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationActive);
        };
        QTest::newRow("focus lost") << state(Qt::ApplicationInactive) << active << false;
        QTest::newRow("window minimised") << WindowStep(&QWindow::showMinimized) << restore << true;
        QTest::newRow("window hidden") << WindowStep(&QWindow::hide) << restore << true;
        QTest::newRow("application hidden") << state(Qt::ApplicationHidden) << active << true;
        QTest::newRow("application suspended") << state(Qt::ApplicationSuspended) << active << true;
    }
    void onlyTheBackgroundPauses()
    {
        QFETCH(WindowStep, leave);
        QFETCH(WindowStep, comeBack);
        QFETCH(bool, pauses);
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy,--vout=dummy");
        QVERIFY(SampleMedia::ensureAll());
        auto model = makeModel();
        QWindow window;
        window.resize(400, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        model->setWindow(&window);
        VLCEngine *engine = VLCEngine::shared();
        const auto stop = qScopeGuard([engine] { engine->stop(); });
        engine->play(QUrl::fromLocalFile(SampleMedia::path(SampleMedia::Kind::MoviePlain)).toString());
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), VLCEngine::Status::Playing, 15'000);

        leave(window);
        if (!pauses) {
            QTest::qWait(100);
            QCOMPARE(engine->status(), VLCEngine::Status::Playing);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), VLCEngine::Status::Paused, 5'000);
        comeBack(window);
        QTest::qWait(300);
        QCOMPARE(engine->status(), VLCEngine::Status::Paused);
    }

private:
    std::unique_ptr<AppModel> makeModel()
    {
        auto model = std::make_unique<AppModel>();
        model->setServers({m_first.baseUrl(), m_second.baseUrl()});
        model->setSplashMinimum(100ms);
        return model;
    }

    static void fillForm(AppModel &model, const QString &user, const QString &password)
    {
        model.setLoginUser(user);
        model.setLoginPassword(password);
    }

    static void saveSignIn(const QString &server)
    {
        SessionStore::shared().saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"), server);
    }

    // Makes the server answer the sign-in with the verdict; gives the base to use for it.
    static QString script(SampleProvider &server, Verdict verdict)
    {
        ProviderFault fault;
        switch (verdict) {
        case Verdict::Success:
            break;
        case Verdict::Expired:
            server.setAnswer(QString(), accountAnswer("Expired"));
            break;
        case Verdict::Disabled:
            server.setAnswer(QString(), accountAnswer("Disabled"));
            break;
        case Verdict::Banned:
            server.setAnswer(QString(), accountAnswer("banned"));
            break;
        case Verdict::Invalid:
            server.setAnswer(QString(), R"({"user_info":{"auth":0}})");
            break;
        case Verdict::Http500:
            fault.status = 500;
            break;
        case Verdict::Html:
            fault.htmlBody = true;
            break;
        case Verdict::TimesOut:
            fault.stall = true;
            break;
        case Verdict::Refused:
            return refusedBase();
        }
        server.setFault(QString(), fault);
        return server.baseUrl();
    }

    SampleProvider m_first;
    SampleProvider m_second;
};

NORVANE_TEST_MAIN(TestAppModel)
#include "tst_appmodel.moc"
