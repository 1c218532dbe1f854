// The application entry: one window whose root view is AppRoot (module "Norvane").
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQmlExtensionPlugin>

#include "NorvaneBuildConfig.h"

Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Norvane"));
    QGuiApplication::setOrganizationName(QStringLiteral("Norvane"));
    QGuiApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION_STRING));
    QGuiApplication::setDesktopFileName(QStringLiteral("app.norvane.Norvane"));
    QQuickStyle::setStyle(QStringLiteral("Basic"));

    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreationFailed, &app,
        [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
    engine.load(QUrl(QStringLiteral("qrc:/Norvane/Main.qml")));
    return QGuiApplication::exec();
}
