#pragma once

#include <QObject>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QQuickItem;
class QQuickWindow;

namespace norvane::test {

// The first object named `objectName` below `root`, looking through both the object tree and the
// visual item tree (delegates of views and repeaters have no object parent).
QObject *findByName(QObject *root, const QString &objectName);
template <typename T> T *findByName(QObject *root, const QString &objectName)
{
    return qobject_cast<T *>(findByName(root, objectName));
}

// Whether the item of that name exists and is visible.
bool isShown(QObject *root, const QString &objectName);
// The item of that name once it is visible and laid out (views make their delegates late);
// nullptr when that does not happen within the time.
QQuickItem *visibleItem(QObject *root, const QString &objectName, int timeoutMs = 5000);

// Waits until the window is on screen and its items are laid out (renders one frame), so that
// positions are final before input is aimed at them.
bool waitForLayout(QQuickWindow *window);

class QmlHarness;
// QmlHarness::create, then waitForLayout; nullptr when either fails.
QObject *createShown(QmlHarness &harness, const QByteArray &qml, const QVariantMap &initialProperties = {});

// Mouse input aimed at an item, as a user would give it, through the item's window.
QPointF sceneCenter(const QQuickItem *item);
void clickItem(QQuickItem *item);
void hoverItem(QQuickItem *item);
void hoverPoint(QQuickWindow *window, const QPointF &scenePoint);
// Types the text key by key into whatever has the focus in the window.
void typeText(QQuickWindow *window, const QString &text);

// The accessible name the item offers to assistive technology (empty when it has none).
QString accessibleName(QQuickItem *item);

// The words the item offers as text to assistive technology (a static text or a heading in the
// accessibility tree, listed by its parent); empty when it offers none, as a text only drawn.
QString accessibleText(QQuickItem *item);
// Asks the item's press action as a screen reader does; false when it has none.
bool pressByAccessibility(QQuickItem *item);
// The object name of the item with the keyboard focus in the window (empty when none).
QString focusedName(QQuickWindow *window);

// Every visible button or text field below `root` that offers no accessible name, described by
// class and object name (empty when all are named).
QStringList unnamedControls(QQuickItem *root);

// Every visible text below `root` that a screen reader cannot read: neither in the accessibility
// tree as a text or heading nor part of the name of a control around it (a button's label).
// Empty when every text shown can be read.
QStringList unreadTexts(QQuickItem *root);

} // namespace norvane::test
