// The application entry: one window whose root view is AppRoot (module "Norvane").
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQmlExtensionPlugin>

#include "NorvaneBuildConfig.h"

Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

int main(int argc, char *argv[])
{
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

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Norvane/Main.qml")));
    return QGuiApplication::exec();
}
