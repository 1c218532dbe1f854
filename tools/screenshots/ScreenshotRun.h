#pragma once

#include <QDir>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class SampleProvider;

// What every group of screen states shares: one QML engine with the Norvane modules, the
// in-process sample provider, and the folder the PNG files go to. A state puts a screen into a
// window, waits until it shows what it should, and calls shoot().
class ScreenshotRun
{
public:
    ScreenshotRun(const QDir &outputDir, SampleProvider &provider);
    ~ScreenshotRun();

    QQmlEngine &engine() { return m_engine; }
    SampleProvider &provider() { return m_provider; }

    // A fresh window of `size` showing the QML root made from `qml` (which may import Norvane).
    // Returns the root item; nullptr (and a recorded failure) when the QML does not load.
    QQuickItem *show(const QByteArray &qml, const QVariantMap &initialProperties = {},
                     const QSize &size = QSize(1280, 800));
    QQuickWindow *window() const { return m_window.get(); }

    // Runs the event loop until `ready` holds or `timeoutMs` passes; false (and a recorded
    // failure named `what`) on time-out.
    bool waitUntil(const std::function<bool()> &ready, int timeoutMs, const QString &what);
    // Lets animations and pending layout settle.
    void settle(int ms);

    // Grabs the window into <outputDir>/<name>.png.
    bool shoot(const QString &name);

    // The first object named `objectName` below `root`.
    static QObject *find(QObject *root, const QString &objectName);

    void fail(const QString &message);
    QStringList written() const { return m_written; }
    QStringList failures() const { return m_failures; }

private:
    QDir m_outputDir;
    SampleProvider &m_provider;
    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QObject *m_root = nullptr;
    QStringList m_written;
    QStringList m_failures;
};

// The groups of states; each later screen adds its own group.
void shootShellStates(ScreenshotRun &run);
void shootComponentStates(ScreenshotRun &run);
void shootLiveStates(ScreenshotRun &run);
void shootScreenStates(ScreenshotRun &run);
