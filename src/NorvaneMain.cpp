#include "NorvaneMain.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>

#include "NorvaneBuildConfig.h"
#include "components/AccessibleItemFactory.h"
#include "mpris/IdleInhibitionPolicy.h"
#include "mpris/MprisService.h"
#include "mpris/NowPlaying.h"
#include "mpris/NowPlayingAttachment.h"
#include "system/AppInfo.h"
#include "system/IdleInhibitor.h"
#include "system/ProcessMemory.h"
#include "system/TerminationSignals.h"

namespace NorvaneMain {

int run(int argc, char *argv[], const std::function<void(QQmlApplicationEngine &)> &loaded)
{
    ProcessMemory::returnFreedPromptly();
    QGuiApplication app(argc, argv);
    // The organisation name stays "Norvane": the preferences file (~/.config/Norvane/Norvane.conf)
    // is found by it. The desktop file name is the launcher's and the icon's name, so the desktop
    // matches the window to its launcher and icon.
    QGuiApplication::setApplicationName(AppInfo::folderName);
    QGuiApplication::setOrganizationName(AppInfo::folderName);
    QGuiApplication::setOrganizationDomain(QStringLiteral("norvane.app"));
    QGuiApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION_STRING));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.norvane.Norvane"));
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("app.norvane.Norvane"), QIcon(QStringLiteral(":/assets/Logo.svg"))));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    AccessibleItemFactory::install();

    QObject::connect(TerminationSignals::install(), &TerminationSignals::received, &app,
                     &QCoreApplication::quit);
    NowPlayingAttachment::install();
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app, [] { QCoreApplication::exit(1); },
        Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Norvane/Main.qml")));
    const MprisService mediaControls(NowPlaying::shared(), QDBusConnection::sessionBus());
    // The screen stays awake while something plays, and across the seams of one viewing.
    IdleInhibitor idleInhibitor(QDBusConnection::sessionBus());
    const IdleInhibitionPolicy keepAwake(NowPlaying::shared(), &idleInhibitor);
    if (loaded)
        loaded(engine);
    return QGuiApplication::exec();
}

} // namespace NorvaneMain
