#pragma once

#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QVariantMap>
#include <memory>

namespace norvane::test {

// Builds QML from source text inside an offscreen window (software scene graph), with the
// Norvane modules available through `import Norvane`.
class QmlHarness
{
public:
    QmlHarness();
    ~QmlHarness();

    // Creates the component; a visual root is put into the window. Fails the test on errors.
    QObject *create(const QByteArray &qml, const QVariantMap &initialProperties = {});

    template <typename T = QObject> T *find(const QString &objectName) const
    {
        return m_root ? m_root->findChild<T *>(objectName) : nullptr;
    }

    QQmlEngine &engine() { return m_engine; }
    QQuickWindow &window() { return *m_window; }
    QObject *root() const { return m_root; }

    // Renders a frame and returns it (for checks on what is drawn).
    QImage grab();

private:
    QQmlEngine m_engine;
    std::unique_ptr<QQuickWindow> m_window;
    QObject *m_root = nullptr;
};

} // namespace norvane::test
