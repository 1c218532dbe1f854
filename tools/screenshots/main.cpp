// Renders every screen state of Norvane offscreen into PNG files, against the in-process sample
// provider, so the product can be looked at without clicking through it.
//   norvane-screenshots [output-folder]   (default: ./screenshots)
#include <QDir>
#include <QGuiApplication>
#include <QQmlExtensionPlugin>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <cstdio>

#include "NorvaneBuildConfig.h"
#include "SampleProvider.h"
#include "ScreenshotRun.h"
#include "system/AppInfo.h"

#include "shell/NorvaneQmlPlugins.h"

int main(int argc, char *argv[])
{
    // Never the user's own files: stores and caches go to the test locations.
    QStandardPaths::setTestModeEnabled(true);
    // Signing in writes the keyring and the settings states forget what it wrote: only ever
    // against the throw-away keyring that ./scripts/screenshots starts.
    if (qEnvironmentVariableIntValue("NORVANE_PRIVATE_KEYRING") != 1) {
        std::fprintf(stderr, "screenshots: run ./scripts/screenshots (it uses a private keyring)\n");
        return 2;
    }
    // The live states play streams: no sound device is needed for a picture.
    if (!qEnvironmentVariableIsSet("NORVANE_VLC_OPTS"))
        qputenv("NORVANE_VLC_OPTS", "--aout=adummy");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(AppInfo::folderName);
    QGuiApplication::setOrganizationName(AppInfo::folderName);
    QGuiApplication::setApplicationVersion(QStringLiteral(NORVANE_VERSION_STRING));
    QQuickStyle::setStyle(QStringLiteral("Basic"));

    const QStringList args = QGuiApplication::arguments();
    QDir output(args.size() > 1 ? args.at(1) : QStringLiteral("screenshots"));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "screenshots: cannot create %s\n", qPrintable(output.absolutePath()));
        return 1;
    }

    SampleProvider provider;
    if (!provider.listenOn(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "screenshots: the sample provider could not listen\n");
        return 1;
    }

    ScreenshotRun run(output, provider);
    shootShellStates(run);
    shootComponentStates(run);
    shootLiveStates(run);
    shootScreenStates(run);

    std::fprintf(stderr, "screenshots: %lld written, %lld failed\n", qlonglong(run.written().size()),
                 qlonglong(run.failures().size()));
    return run.failures().isEmpty() ? 0 : 1;
}
