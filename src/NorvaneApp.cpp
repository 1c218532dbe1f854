// The application entry: one window whose root view is AppRoot (module "Norvane"), and the media
// controls that the desktop reaches over the session bus.
#include <QDBusConnection>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQmlExtensionPlugin>
#include <QQuickStyle>
#include <QQuickWindow>
#include <cstdio>
#include <ctime>

#include "AccessibleItemFactory.h"
#include "IdleInhibitionPolicy.h"
#include "IdleInhibitor.h"
#include "MprisService.h"
#include "NorvaneBuildConfig.h"
#include "NowPlaying.h"
#include "ProcessMemory.h"
#include "TerminationSignals.h"

#include "NorvaneQmlPlugins.h"

namespace {

// For the start-up benchmark: with NORVANE_EXIT_AFTER_FIRST_FRAME set, the window's first frame
// prints the monotonic clock ("first-frame-ns N") and the application quits.
void reportFirstFrame(QQmlApplicationEngine &engine)
{
    if (qEnvironmentVariableIsEmpty("NORVANE_EXIT_AFTER_FIRST_FRAME") || engine.rootObjects().isEmpty())
        return;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window)
        return;
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("first-frame-ns %lld\n",
                        static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        },
        Qt::DirectConnection);
}

} // namespace

int main(int argc, char *argv[])
{
    ProcessMemory::returnFreedPromptly();
    QGuiApplication app(argc, argv);
    // The organisation name stays "Norvane": the preferences file (~/.config/Norvane/Norvane.conf)
    // is found by it. The desktop file name is the launcher's and the icon's name, so the desktop
    // matches the window to its launcher and icon.
    QGuiApplication::setApplicationName(QStringLiteral("Norvane"));
    QGuiApplication::setOrganizationName(QStringLiteral("Norvane"));
    QGuiApplication::setOrganizationDomain(QStringLiteral("norvane.app"));
    QGuiApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION_STRING));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.norvane.Norvane"));
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("app.norvane.Norvane"), QIcon(QStringLiteral(":/assets/Logo.svg"))));
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    AccessibleItemFactory::install();

    QObject::connect(TerminationSignals::install(), &TerminationSignals::received, &app,
                     &QCoreApplication::quit);
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
    reportFirstFrame(engine);
    return QGuiApplication::exec();
}
