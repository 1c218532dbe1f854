#include "ScreenshotRun.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QQmlComponent>
#include <QThread>
#include <cstdio>

ScreenshotRun::ScreenshotRun(const QDir &outputDir, SampleProvider &provider)
    : m_outputDir(outputDir), m_provider(provider)
{
    m_engine.addImportPath(QStringLiteral("qrc:/"));
}

ScreenshotRun::~ScreenshotRun()
{
    delete m_root;
}

QQuickItem *ScreenshotRun::show(const QByteArray &qml, const QVariantMap &initialProperties,
                                const QSize &size)
{
    delete m_root;
    m_root = nullptr;
    m_window = std::make_unique<QQuickWindow>();
    m_window->resize(size);
    m_window->setColor(QColor(11, 14, 20));

    QQmlComponent component(&m_engine);
    component.setData(qml, QUrl(QStringLiteral("qrc:/screenshots/State.qml")));
    QObject *object =
        component.isError() ? nullptr : component.createWithInitialProperties(initialProperties);
    auto *item = qobject_cast<QQuickItem *>(object);
    if (!item) {
        delete object;
        fail(QStringLiteral("QML did not load: ") + component.errorString());
        return nullptr;
    }
    m_root = item;
    item->setParentItem(m_window->contentItem());
    item->setSize(size);
    m_window->show();
    settle(50);
    return item;
}

bool ScreenshotRun::waitUntil(const std::function<bool()> &ready, int timeoutMs, const QString &what)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!ready()) {
        if (deadline.hasExpired()) {
            fail(QStringLiteral("timed out waiting for ") + what);
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
    return true;
}

void ScreenshotRun::settle(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // A nested loop never runs deleteLater(): screens a Loader replaced must really go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

bool ScreenshotRun::shoot(const QString &name)
{
    if (!m_window) {
        fail(name + QStringLiteral(": nothing on screen"));
        return false;
    }
    const QImage image = m_window->grabWindow();
    const QString path = m_outputDir.filePath(name + QStringLiteral(".png"));
    if (image.isNull() || !image.save(path)) {
        fail(name + QStringLiteral(": could not grab or save"));
        return false;
    }
    m_written << path;
    std::printf("%s\n", qPrintable(path));
    return true;
}

QObject *ScreenshotRun::find(QObject *root, const QString &objectName)
{
    // Through the item tree too: delegates of repeaters and views have no object parent.
    QList<QObject *> pending{root};
    while (!pending.isEmpty()) {
        QObject *object = pending.takeFirst();
        if (!object)
            continue;
        if (object != root && object->objectName() == objectName)
            return object;
        pending.append(object->children());
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            for (QQuickItem *child : item->childItems()) {
                if (child->parent() != item)
                    pending.append(child);
            }
        }
    }
    return nullptr;
}

void ScreenshotRun::fail(const QString &message)
{
    m_failures << message;
    std::fprintf(stderr, "screenshots: %s\n", qPrintable(message));
}
