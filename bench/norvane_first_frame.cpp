// The application as the start-up benchmark runs it: NorvaneMain as shipped, plus a hook the
// shipped program does not carry: the window's first frame prints the monotonic clock
// ("first-frame-ns N") and the application quits.
#include "NorvaneMain.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQmlExtensionPlugin>
#include <QQuickWindow>
#include <cstdio>
#include <ctime>

#include "shell/NorvaneQmlPlugins.h"

int main(int argc, char *argv[])
{
    return NorvaneMain::run(argc, argv, [](QQmlApplicationEngine &engine) {
        auto *window = engine.rootObjects().isEmpty()
                           ? nullptr
                           : qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        if (!window)
            return;
        QObject::connect(
            window, &QQuickWindow::frameSwapped, window,
            [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("first-frame-ns %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                          Qt::QueuedConnection);
            },
            Qt::DirectConnection);
    });
}
