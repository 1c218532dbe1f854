#include "ItemInput.h"
#include "QmlHarness.h"
#include "SampleProvider.h"
#include "SessionItems.h"
#include "TestMain.h"
#include "client/ApiConnection.h"
#include "session/Keychain.h"
#include "session/SessionStore.h"
#include "shell/AppModel.h"
#include <QAccessible>

#include <QQuickItem>
#include <QSignalSpy>

using namespace std::chrono_literals;
using norvane::test::QmlHarness;

namespace {

const QByteArray loginViewQml = "import QtQuick\nimport Norvane\nLoginView { }\n";

} // namespace

class TestLoginView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        ApiConnection::setIdleTimeout(400ms);
        QVERIFY(m_provider.listenOn());
        // The root view's own model signs in to this provider.
        qputenv("NORVANE_PROVIDER_BASES", m_provider.baseUrl().toUtf8());
        m_harness = std::make_unique<QmlHarness>();
    }

    void cleanupTestCase()
    {
        m_harness.reset(); // the view goes before its model
    }

    void init()
    {
        norvane::test::clearSessionItems();
        m_provider.clearScript();
        m_provider.clearLog();
        // The previous view goes (inside create) before its model does.
        auto model = std::make_unique<AppModel>();
        model->setServers({m_provider.baseUrl()});
        QVERIFY(m_harness->create(loginViewQml, {{QStringLiteral("app"), QVariant::fromValue(model.get())}}));
        m_model = std::move(model);
    }

    void cleanup()
    {
        // Let a sign-in still running end before its model goes.
        QTRY_VERIFY(!m_model->isLoggingIn());
        norvane::test::clearSessionItems();
    }

    // The button checks for empty texts only; blanks count as text (the model trims them).
    void buttonEnabledRule_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("no password") << "demo"
                                     << "" << false;
        QTest::newRow("no user") << ""
                                 << "demo1234" << false;
        QTest::newRow("blanks-only user") << "   "
                                          << "demo1234" << true;
        QTest::newRow("both filled") << "demo"
                                     << "demo1234" << true;
    }
    void buttonEnabledRule()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        m_model->setLoginUser(user);
        m_model->setLoginPassword(password);
        auto *button = m_harness->find<QQuickItem>(QStringLiteral("submitButton"));
        QVERIFY(button);
        QCOMPARE(button->isEnabled(), enabled);
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->state().disabled, !enabled);
        QCOMPARE(m_harness->find<QQuickItem>(QStringLiteral("userField"))->property("text").toString(), user);
        QCOMPARE(m_harness->find<QQuickItem>(QStringLiteral("passwordField"))->property("text").toString(),
                 password);
    }

    // The form opens with the keyboard on the user field; Tab goes on to the password, the eye
    // and "Entrar"; a screen reader finds the password field by its name.
    void keyboardOrderAndNames()
    {
        QQuickWindow *window = &m_harness->window();
        QVERIFY(norvane::test::waitForLayout(window));
        QCOMPARE(norvane::test::focusedName(window), QStringLiteral("userField"));
        QCOMPARE(norvane::test::accessibleName(m_harness->find<QQuickItem>(QStringLiteral("passwordField"))),
                 QStringLiteral("Contraseña"));
        m_model->setLoginUser(QStringLiteral("demo"));
        m_model->setLoginPassword(QStringLiteral("demo1234"));
        for (const char *next : {"passwordField", "eyeButton", "submitButton"}) {
            QTest::keyClick(window, Qt::Key_Tab);
            QCOMPARE(norvane::test::focusedName(window), QLatin1String(next));
        }
    }

    void whileLoggingInSpinnerAndEditableFields()
    {
        ProviderFault stall{.stall = true};
        m_provider.setFault(QString(), stall);
        m_model->setLoginUser(QStringLiteral("demo"));
        m_model->setLoginPassword(QStringLiteral("demo1234"));
        auto *button = m_harness->find<QQuickItem>(QStringLiteral("submitButton"));
        auto *label = m_harness->find<QQuickItem>(QStringLiteral("submitLabel"));
        auto *spinner = m_harness->find<QQuickItem>(QStringLiteral("submitSpinner"));
        QVERIFY(label->isVisible());
        QVERIFY(!spinner->isVisible());

        QTest::mouseClick(&m_harness->window(), Qt::LeftButton, {},
                          norvane::test::sceneCenter(button).toPoint());
        QVERIFY(m_model->isLoggingIn());
        QVERIFY(!button->isEnabled());
        QVERIFY(spinner->isVisible());
        QVERIFY(!label->isVisible());

        // Typing still goes into the form.
        auto *user = m_harness->find<QQuickItem>(QStringLiteral("userField"));
        QVERIFY(user->isEnabled());
        user->forceActiveFocus();
        typeText("x");
        QCOMPARE(m_model->loginUser(), QStringLiteral("demox"));

        QTRY_VERIFY(!m_model->isLoggingIn());
        QVERIFY(label->isVisible());
        QVERIFY(!spinner->isVisible());
    }

    void eyeToggleKeepsPassword()
    {
        auto *field = m_harness->find<QQuickItem>(QStringLiteral("passwordField"));
        auto *eye = m_harness->find<QQuickItem>(QStringLiteral("eyeButton"));
        field->forceActiveFocus();
        typeText("s3cr");
        QCOMPARE(field->property("echoMode").toInt(), 2); // TextInput.Password
        QCOMPARE(symbolOf(eye), QStringLiteral("eye"));

        QTest::mouseClick(&m_harness->window(), Qt::LeftButton, {},
                          norvane::test::sceneCenter(eye).toPoint());
        QCOMPARE(field->property("echoMode").toInt(), 0); // TextInput.Normal
        QCOMPARE(field->property("text").toString(), QStringLiteral("s3cr"));
        QCOMPARE(symbolOf(eye), QStringLiteral("eye.slash"));

        field->forceActiveFocus();
        typeText("et");
        QTest::mouseClick(&m_harness->window(), Qt::LeftButton, {},
                          norvane::test::sceneCenter(eye).toPoint());
        QCOMPARE(field->property("echoMode").toInt(), 2); // TextInput.Password
        QCOMPARE(m_model->loginPassword(), QStringLiteral("s3cret"));
        QCOMPARE(symbolOf(eye), QStringLiteral("eye"));
    }

    // Return in the password row signs in even while the button is disabled.
    void returnInPasswordRowStartsSignIn()
    {
        m_model->setLoginUser(QStringLiteral("demo"));
        auto *button = m_harness->find<QQuickItem>(QStringLiteral("submitButton"));
        QVERIFY(!button->isEnabled());
        m_harness->find<QQuickItem>(QStringLiteral("passwordField"))->forceActiveFocus();
        QTest::keyClick(&m_harness->window(), Qt::Key_Return);
        QVERIFY(m_model->isLoggingIn());
        QTRY_VERIFY(!m_model->isLoggingIn());
        QCOMPARE(m_provider.requests(QString()).size(), 1);
    }

    void failureMessageShown()
    {
        auto *message = m_harness->find<QQuickItem>(QStringLiteral("loginMessage"));
        QVERIFY(!message->isVisible());
        m_model->setLoginUser(QStringLiteral("demo"));
        m_model->setLoginPassword(QStringLiteral("wrong"));
        QCoro::waitFor(m_model->runLogin());
        QVERIFY(message->isVisible());
        QCOMPARE(message->property("text").toString(), QStringLiteral("Usuario o contraseña incorrectos."));
    }

    // The root view shows the screen of the phase and drops the others once faded out: the
    // splash while a saved sign-in runs, then home; the form filled in again after signing out;
    // home after signing in. Its window is the model's, whose minimising pauses playback.
    void rootViewFollowsThePhase()
    {
        SessionStore::shared().saveSignIn(m_provider.username(), m_provider.password(), m_provider.baseUrl());
        QmlHarness harness;
        QObject *root = harness.create("import QtQuick\nimport Norvane\nAppRoot { }\n");
        QVERIFY(root);
        auto *app = root->property("app").value<AppModel *>();
        QVERIFY(app);
        QCOMPARE(app->window(), &harness.window());
        const auto shown = [&harness] {
            QStringList screens;
            for (const char *name : {"splashScreen", "loginScreen", "homeScreen"}) {
                auto *loader = harness.find<QQuickItem>(QString::fromLatin1(name));
                if (loader && loader->isVisible() && loader->property("item").value<QQuickItem *>())
                    screens << QString::fromLatin1(name);
            }
            return screens;
        };
        QCOMPARE(shown(), QStringList{"splashScreen"});
        QVERIFY(norvane::test::findByName(harness.root(), "splashPhrase0"));
        QTRY_COMPARE_WITH_TIMEOUT(app->phase(), AppModel::Phase::Home, 10'000);
        QTRY_COMPARE(shown(), QStringList{"homeScreen"});
        QTRY_VERIFY(!norvane::test::findByName(harness.root(), "splashPhrase0"));

        app->logOut();
        QTRY_COMPARE(shown(), QStringList{"loginScreen"});
        norvane::test::clickItem(harness.find<QQuickItem>("submitButton"));
        QTRY_COMPARE(app->phase(), AppModel::Phase::Home);
        QTRY_COMPARE(shown(), QStringList{"homeScreen"});
    }

private:
    void typeText(const char *text)
    {
        for (const char *c = text; *c; ++c)
            QTest::keyClick(&m_harness->window(), *c);
    }

    static QString symbolOf(QQuickItem *button)
    {
        return button->property("contentItem").value<QQuickItem *>()->property("name").toString();
    }

    SampleProvider m_provider;
    std::unique_ptr<AppModel> m_model;
    // Made inside the test run, so that QML warnings fail the tests.
    std::unique_ptr<QmlHarness> m_harness;
};

NORVANE_TEST_MAIN(TestLoginView)
#include "tst_loginview.moc"
