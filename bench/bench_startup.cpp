// Start-up: from starting the application's process to the first frame of its window (the
// splash), measured by the parent with one monotonic clock: the time is taken just before the
// process is started, the child prints the clock at its window's first frameSwapped and quits
// (the application built with that hook, bench/norvane_first_frame.cpp; the shipped program has
// none). Baselines, launched the same way in the same run: Qt's own floor for a window, a bare
// QQuickWindow, and a one-Rectangle QML window.
//
//   bench_startup [--runs N] [--app PATH]   (PATH: another build of norvane_first_frame)
// The platform is the environment's (./scripts/bench: offscreen with the software scene graph).
// The catalog plays no part here; the application starts with an empty profile.
#include "BenchReport.h"

#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

qint64 monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// The child side of the baselines: prints the clock at the first frame, then quits.
void reportFirstFrame(QQuickWindow *window)
{
    QObject::connect(
        window, &QQuickWindow::frameSwapped, window,
        [] {
            std::printf("first-frame-ns %lld\n", static_cast<long long>(monotonicNs()));
            std::fflush(stdout);
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        },
        Qt::DirectConnection);
}

int bareWindow(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(1280, 800);
    reportFirstFrame(&window);
    window.show();
    return QGuiApplication::exec();
}

int qmlWindow(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData("import QtQuick\nWindow { visible: true; width: 1280; height: 800; color: \"black\"\n"
                    "  Text { anchors.centerIn: parent; text: \"Norvane\"; color: \"white\" } }");
    if (engine.rootObjects().isEmpty())
        return 1;
    reportFirstFrame(qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst()));
    return QGuiApplication::exec();
}

// Starts the program and gives the ms to its first frame, or a negative value on failure.
double launch(const QString &program, const QStringList &arguments, const QString &home)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A fresh profile: no saved credentials, no catalogs, no preferences of the user's.
    environment.insert("HOME", home);
    environment.insert("XDG_DATA_HOME", home + "/data");
    environment.insert("XDG_CACHE_HOME", home + "/cache");
    environment.insert("XDG_CONFIG_HOME", home + "/config");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const qint64 start = monotonicNs();
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("first-frame-ns "))
            return double(line.mid(15).toLongLong() - start) / 1e6;
    }
    std::fprintf(stderr, "%s gave no first frame: %s\n", qPrintable(program),
                 process.readAllStandardError().right(2000).constData());
    return -1;
}

struct Spread
{
    QList<double> times;
    int failures = 0;
    void add(double ms) { ms < 0 ? void(++failures) : times.append(ms); }
    double best() const { return times.isEmpty() ? 0 : *std::min_element(times.cbegin(), times.cend()); }
    double median() const
    {
        QList<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted.isEmpty() ? 0 : sorted.at(sorted.size() / 2);
    }
};

double launchFresh(const QString &program, const QStringList &arguments)
{
    QTemporaryDir home;
    return launch(program, arguments, home.path());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--bare-window") == 0)
        return bareWindow(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--qml-window") == 0)
        return qmlWindow(argc, argv);

    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype runsAt = args.indexOf(QLatin1String("--runs"));
    const int runs = runsAt > 0 && runsAt + 1 < args.size() ? std::max(1, args.at(runsAt + 1).toInt()) : 9;
    const qsizetype appAt = args.indexOf(QLatin1String("--app"));
    const QString appBinary = appAt > 0 && appAt + 1 < args.size() ? args.at(appAt + 1) : QStringLiteral(NORVANE_APP_BINARY);
    const QString self = QCoreApplication::applicationFilePath();

    // Warm the page cache for all three programs first, so no run pays for reading them from disk.
    const QStringList bareArgs{QStringLiteral("--bare-window")};
    const QStringList qmlArgs{QStringLiteral("--qml-window")};
    launchFresh(appBinary, {});
    launchFresh(self, bareArgs);
    launchFresh(self, qmlArgs);
    Spread norvane;
    Spread bare;
    Spread qml;
    for (int i = 0; i < runs; ++i) { // interleaved, so all three meet the same machine load
        norvane.add(launchFresh(appBinary, {}));
        bare.add(launchFresh(self, bareArgs));
        qml.add(launchFresh(self, qmlArgs));
    }
    std::printf("process start to first frame, %d launches each (median / best ms):\n", runs);
    std::printf("  Norvane (splash)          %7.1f / %7.1f  (%d failed)\n", norvane.median(), norvane.best(), norvane.failures);
    std::printf("  bare QQuickWindow         %7.1f / %7.1f\n", bare.median(), bare.best());
    std::printf("  one-Rectangle QML window  %7.1f / %7.1f\n", qml.median(), qml.best());

    BenchReport::title(QStringLiteral("Start-up"),
                       QStringLiteral("From starting the process to the first frame its window swaps (the splash), "
                                      "with a fresh profile; %1 launches of each program, interleaved; platform "
                                      "\"%2\", scene graph \"%3\".")
                           .arg(runs)
                           .arg(qEnvironmentVariable("QT_QPA_PLATFORM", QStringLiteral("default")),
                                qEnvironmentVariable("QT_QUICK_BACKEND", QStringLiteral("default"))));
    const bool ran = norvane.failures == 0;
    BenchReport::row({QStringLiteral("process start to the splash's first frame, median"),
                      {QStringLiteral("Norvane"), norvane.median(), "ms"},
                      {{"bare QQuickWindow", bare.median(), "ms"}, {"QML window with one Text", qml.median(), "ms"}},
                      8, "< 400 ms", ran && norvane.median() < 400,
                      QStringLiteral("best: Norvane %1 ms, bare %2 ms, QML %3 ms%4")
                          .arg(norvane.best(), 0, 'f', 0)
                          .arg(bare.best(), 0, 'f', 0)
                          .arg(qml.best(), 0, 'f', 0)
                          .arg(ran ? QString() : QStringLiteral(", %1 launches failed").arg(norvane.failures))});
    return ran ? 0 : 1;
}
