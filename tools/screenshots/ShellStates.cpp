// The application's own screens, driven through one AppRoot the way a user would go: the splash,
// a rejected sign-in, the main menu, settings with its two confirmations, and a section frame.
#include <QQuickItem>

#include "SampleProvider.h"
#include "ScreenshotRun.h"
#include "shell/AppModel.h"

namespace {

QObject *child(QObject *root, const char *objectName)
{
    return ScreenshotRun::find(root, QLatin1String(objectName));
}

bool signIn(ScreenshotRun &run, AppModel &app, const QString &password)
{
    app.setLoginUser(run.provider().username());
    app.setLoginPassword(password);
    app.login();
    return run.waitUntil([&] { return !app.isLoggingIn(); }, 10000, QStringLiteral("the sign-in"));
}

void settingsStates(ScreenshotRun &run, QObject *root, AppModel &app)
{
    app.setOpenTab(AppModel::AppTab::Settings);
    QObject *settings = nullptr;
    if (!run.waitUntil([&] { return (settings = child(root, "settingsView")) != nullptr; }, 2000,
                       QStringLiteral("the settings screen")))
        return;
    run.settle(300);
    run.shoot(QStringLiteral("settings"));

    for (const auto &[flag, dialogName, shot] :
         {std::tuple{"confirmLogout", "logoutDialog", "settings-confirm-logout"},
          std::tuple{"confirmForget", "forgetDialog", "settings-confirm-forget"}}) {
        settings->setProperty(flag, true);
        QObject *dialog = child(settings, dialogName);
        if (!dialog || !run.waitUntil([&] { return dialog->property("opened").toBool(); }, 2000,
                                      QString::fromLatin1(dialogName)))
            return;
        run.settle(100);
        run.shoot(QString::fromLatin1(shot));
        settings->setProperty(flag, false);
        run.waitUntil([&] { return !dialog->property("visible").toBool(); }, 2000,
                      QStringLiteral("dialog closing"));
    }
}

void mainMenuStates(ScreenshotRun &run, QObject *root)
{
    QObject *menu = child(root, "mainMenu");
    if (!menu) {
        run.fail(QStringLiteral("no main menu after sign-in"));
        return;
    }
    run.settle(500);
    run.shoot(QStringLiteral("main-menu"));

    if (QObject *card = child(menu, "menuCard1")) {
        card->setProperty("hovering", true);
        run.settle(300);
        run.shoot(QStringLiteral("main-menu-hover"));
        card->setProperty("hovering", false);
    }
    QMetaObject::invokeMethod(menu, "revealVersion");
    run.settle(250);
    run.shoot(QStringLiteral("main-menu-version"));
}

} // namespace

void shootShellStates(ScreenshotRun &run)
{
    QQuickItem *root = run.show("import QtQuick\nimport Norvane\nAppRoot { }\n");
    if (!root)
        return;
    auto *app = root->property("app").value<AppModel *>();
    if (!app) {
        run.fail(QStringLiteral("AppRoot has no application model"));
        return;
    }
    // Both default servers are the sample provider here.
    app->setServers({run.provider().baseUrl(), run.provider().baseUrl()});

    // The logo has grown in and the first phrase has faded in (it changes at 1.1 s).
    run.settle(950);
    run.shoot(QStringLiteral("splash"));

    if (!run.waitUntil([&] { return app->phase() == AppModel::Phase::Login; }, 8000,
                       QStringLiteral("the login form")))
        return;
    if (!signIn(run, *app, QStringLiteral("contraseña-equivocada")))
        return;
    run.settle(500);
    run.shoot(QStringLiteral("login-error"));

    if (!signIn(run, *app, run.provider().password()) || app->phase() != AppModel::Phase::Home) {
        run.fail(QStringLiteral("the sample provider's account did not sign in"));
        return;
    }
    mainMenuStates(run, root);
    settingsStates(run, root, *app);

    app->setOpenTab(AppModel::AppTab::Movies);
    run.settle(300);
    run.shoot(QStringLiteral("movies-recent"));
}
