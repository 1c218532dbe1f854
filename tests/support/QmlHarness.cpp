#include "QmlHarness.h"

#include <QAccessible>
#include <QQmlComponent>
#include <QQmlExtensionPlugin>
#include <QtTest>

#include "TestMain.h"
#include "components/AccessibleItemFactory.h"

// Imported here once for every test program that builds QML through the harness.
#include "shell/NorvaneQmlPlugins.h"

namespace norvane::test {

QmlHarness::QmlHarness() : m_window(std::make_unique<QQuickWindow>())
{
    installQmlWarningGuard();
    AccessibleItemFactory::install();
    m_engine.addImportPath(QStringLiteral("qrc:/"));
    m_window->resize(1280, 800);
}

QmlHarness::~QmlHarness()
{
    delete m_root;
}

QObject *QmlHarness::create(const QByteArray &qml, const QVariantMap &initialProperties)
{
    QQmlComponent component(&m_engine);
    component.setData(qml, QUrl(QStringLiteral("qrc:/test/Harness.qml")));
    if (component.isError()) {
        qWarning().noquote() << component.errorString();
        return nullptr;
    }
    delete m_root;
    m_root = component.createWithInitialProperties(initialProperties);
    if (!m_root) {
        qWarning().noquote() << component.errorString();
        return nullptr;
    }
    if (auto *item = qobject_cast<QQuickItem *>(m_root)) {
        item->setParentItem(m_window->contentItem());
        if (item->width() <= 0 || item->height() <= 0)
            item->setSize(m_window->size());
    }
    m_window->show();
    // The controls set up their accessibility as with a screen reader present: Qt Quick changes
    // some of it then (a password field loses its name).
    QAccessible::setActive(true);
    return m_root;
}

QImage QmlHarness::grab()
{
    return m_window->grabWindow();
}

} // namespace norvane::test
