#include "ItemInput.h"
#include "QmlHarness.h"
#include "SessionItems.h"
#include "TestMain.h"
#include "session/Keychain.h"
#include "shell/AppModel.h"

using namespace norvane::test;

namespace {

// Settings beside the login form, both on one application model, the way home and the login
// screen share it: what settings does shows up in the form.
const QByteArray settingsQml = R"(
import QtQuick
import Norvane
Item {
    width: 1000; height: 640
    property AppModel app: AppModel { }
    SettingsView { objectName: "settings"; anchors.fill: parent; app: parent.app }
    LoginView {
        objectName: "login"
        anchors.fill: parent
        app: parent.app
        visible: app.phase === AppModel.Login
    }
}
)";

const QByteArray settingsAloneQml = R"(
import QtQuick
import Norvane
SettingsView { width: 1000; height: 640; app: AppModel { } }
)";

void saveSignIn(const QString &user, const QString &password)
{
    Keychain::write(user, QStringLiteral("username"));
    Keychain::write(password, QStringLiteral("password"));
    Keychain::write(user, QStringLiteral("last_username"));
    Keychain::write(password, QStringLiteral("last_password"));
    Keychain::write(QStringLiteral("http://127.0.0.1:8080"), QStringLiteral("server_url"));
}

QString textOf(QmlHarness &harness, const QString &objectName)
{
    auto *object = findByName<QObject>(harness.root(), objectName);
    return object ? object->property("text").toString() : QStringLiteral("<missing %1>").arg(objectName);
}

} // namespace

// The settings screen against the real (test) keyring: who is signed in, the two confirmations
// and what each one does to the saved credentials and the login form.
class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { clearSessionItems(); }
    void cleanup() { clearSessionItems(); }

    void accountCardShowsTheSavedUserName_data()
    {
        QTest::addColumn<QString>("saved");
        QTest::newRow("signed in") << QStringLiteral("maría.pérez");
        QTest::newRow("nothing saved") << QString();
    }

    void accountCardShowsTheSavedUserName()
    {
        QFETCH(QString, saved);
        if (!saved.isEmpty())
            saveSignIn(saved, QStringLiteral("secreto"));
        QCoreApplication::setApplicationVersion(QString());
        QmlHarness harness;
        QVERIFY(createShown(harness, settingsQml));
        auto *signedIn = findByName<QQuickItem>(harness.root(), QStringLiteral("signedInRow"));
        QVERIFY(signedIn);
        QCOMPARE(signedIn->isVisible(), !saved.isEmpty());
        if (!saved.isEmpty())
            QCOMPARE(signedIn->property("title").toString(), QStringLiteral("Sesión de ") + saved);

        // The two actions are always there, named for assistive technology.
        auto *logout = findByName<QQuickItem>(harness.root(), QStringLiteral("logoutRow"));
        auto *forget = findByName<QQuickItem>(harness.root(), QStringLiteral("forgetRow"));
        QVERIFY(logout->isVisible() && forget->isVisible());
        QCOMPARE(accessibleName(logout), QStringLiteral("Cerrar sesión"));
        QCOMPARE(accessibleName(forget), QStringLiteral("Olvidar credenciales guardadas"));
        QCOMPARE(logout->property("symbol").toString(), QStringLiteral("rectangle.portrait.and.arrow.right"));
        QCOMPARE(forget->property("symbol").toString(), QStringLiteral("key.slash"));

        // The version row, with the fallback of a program that has no version of its own.
        auto *row = findByName<QObject>(harness.root(), QStringLiteral("versionRow"));
        QCOMPARE(row->property("title").toString(), QStringLiteral("Norvane"));
        QCOMPARE(row->property("trailing").toString(), QStringLiteral("1.0"));
    }

    void dialogsAskFirst_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("flag");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("confirm");
        QTest::newRow("log out") << "logoutRow"
                                 << "logoutDialog"
                                 << "confirmLogout"
                                 << "¿Cerrar sesión?"
                                 << "Tendrás que ingresar de nuevo, pero recordaremos tu usuario y clave."
                                 << "Cerrar sesión";
        QTest::newRow("forget")
            << "forgetRow"
            << "forgetDialog"
            << "confirmForget"
            << "¿Olvidar credenciales?"
            << "Se borrará tu usuario y clave guardados. Tendrás que escribirlos la próxima vez."
            << "Olvidar";
    }

    void dialogsAskFirst()
    {
        QFETCH(QString, row);
        QFETCH(QString, dialog);
        QFETCH(QString, flag);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, confirm);
        saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"));
        QmlHarness harness;
        QVERIFY(createShown(harness, settingsQml));
        QObject *settings = findByName<QObject>(harness.root(), QStringLiteral("settings"));
        auto *box = findByName<QObject>(harness.root(), dialog);
        QVERIFY(box);

        clickItem(findByName<QQuickItem>(harness.root(), row));
        QVERIFY(settings->property(qPrintable(flag)).toBool());
        QTRY_VERIFY(box->property("opened").toBool());
        QCOMPARE(box->property("title").toString(), title);
        QCOMPARE(box->property("message").toString(), message);
        auto *confirmButton = box->findChild<QQuickItem *>(QStringLiteral("confirmButton"));
        auto *cancelButton = box->findChild<QQuickItem *>(QStringLiteral("cancelButton"));
        QCOMPARE(accessibleName(confirmButton), confirm);
        QCOMPARE(accessibleName(cancelButton), QStringLiteral("Cancelar"));

        // Cancelling changes nothing but the flag.
        clickItem(cancelButton);
        QTRY_VERIFY(!box->property("visible").toBool());
        QVERIFY(!settings->property(qPrintable(flag)).toBool());
        QCOMPARE(Keychain::read(QStringLiteral("username")), std::optional<QString>(QStringLiteral("demo")));
    }

    // The keyboard alone: "Cerrar sesión" has the focus, Tab reaches the next row with the ring,
    // Return asks with the focus on "Cancelar" and the dialog's texts read, Escape closes it.
    void keyboardAsksAndCloses()
    {
        QmlHarness harness;
        QObject *root = createShown(harness, settingsAloneQml);
        QVERIFY(root);
        QQuickWindow *window = &harness.window();
        QCOMPARE(focusedName(window), QStringLiteral("logoutRow"));
        QTest::keyClick(window, Qt::Key_Tab);
        QCOMPARE(focusedName(window), QStringLiteral("forgetRow"));
        QVERIFY(
            isShown(findByName<QQuickItem>(root, QStringLiteral("forgetRow")), QStringLiteral("focusRing")));

        QTest::keyClick(window, Qt::Key_Return);
        auto *box = findByName<QObject>(root, QStringLiteral("forgetDialog"));
        QTRY_VERIFY(box->property("opened").toBool());
        QCOMPARE(focusedName(window), QStringLiteral("cancelButton"));
        QCOMPARE(accessibleText(box->findChild<QQuickItem *>(QStringLiteral("confirmTitle"))),
                 QStringLiteral("¿Olvidar credenciales?"));
        QCOMPARE(accessibleText(box->findChild<QQuickItem *>(QStringLiteral("confirmMessage"))),
                 QStringLiteral(
                     "Se borrará tu usuario y clave guardados. Tendrás que escribirlos la próxima vez."));
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_VERIFY(!box->property("visible").toBool());
        QVERIFY(!root->property("confirmForget").toBool());
    }

    // What each confirmed action leaves on the login form (the keyring side is the application
    // model's tests' business).
    void confirmedActionEndsOnTheLoginForm_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("log out keeps the form filled") << "logoutRow"
                                                       << "logoutDialog"
                                                       << "demo"
                                                       << "demo1234";
        QTest::newRow("forget empties it") << "forgetRow"
                                           << "forgetDialog" << QString() << QString();
    }
    void confirmedActionEndsOnTheLoginForm()
    {
        QFETCH(QString, row);
        QFETCH(QString, dialog);
        QFETCH(QString, user);
        QFETCH(QString, password);
        saveSignIn(QStringLiteral("demo"), QStringLiteral("demo1234"));
        QmlHarness harness;
        QObject *root = createShown(harness, settingsQml);
        QVERIFY(root);
        auto *app = root->property("app").value<AppModel *>();
        clickItem(findByName<QQuickItem>(harness.root(), row));
        auto *box = findByName<QObject>(harness.root(), dialog);
        QTRY_VERIFY(box->property("opened").toBool());
        clickItem(box->findChild<QQuickItem *>(QStringLiteral("confirmButton")));

        QCOMPARE(app->phase(), AppModel::Phase::Login);
        QCOMPARE(Keychain::read(QStringLiteral("username")), std::nullopt);
        QCOMPARE(app->loginUser(), user);
        QTRY_VERIFY(findByName<QQuickItem>(harness.root(), QStringLiteral("login"))->isVisible());
        QCOMPARE(textOf(harness, QStringLiteral("userField")), user);
        QCOMPARE(textOf(harness, QStringLiteral("passwordField")), password);
    }
};

NORVANE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
