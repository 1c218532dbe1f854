#include "ItemInput.h"

#include "QmlHarness.h"

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QtTest>

namespace norvane::test {

QObject *findByName(QObject *root, const QString &objectName)
{
    if (!root)
        return nullptr;
    QList<QObject *> pending{root};
    QSet<QObject *> seen;
    while (!pending.isEmpty()) {
        QObject *object = pending.takeFirst();
        if (seen.contains(object))
            continue;
        seen.insert(object);
        if (object != root && object->objectName() == objectName)
            return object;
        pending.append(object->children());
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            for (QQuickItem *child : item->childItems())
                pending.append(child);
        }
    }
    return nullptr;
}

bool isShown(QObject *root, const QString &objectName)
{
    auto *found = findByName<QQuickItem>(root, objectName);
    return found && found->isVisible();
}

QQuickItem *visibleItem(QObject *root, const QString &objectName, int timeoutMs)
{
    QQuickItem *found = nullptr;
    const bool ready = QTest::qWaitFor(
        [&] {
            found = findByName<QQuickItem>(root, objectName);
            return found && found->isVisible() && found->width() > 0;
        },
        timeoutMs);
    return ready ? found : nullptr;
}

bool waitForLayout(QQuickWindow *window)
{
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    // Grabbing polishes every item (layouts, positioners) and renders the frame synchronously.
    return !window->grabWindow().isNull();
}

QObject *createShown(QmlHarness &harness, const QByteArray &qml, const QVariantMap &initialProperties)
{
    QObject *root = harness.create(qml, initialProperties);
    return root && waitForLayout(&harness.window()) ? root : nullptr;
}

QPointF sceneCenter(const QQuickItem *item)
{
    return item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
}

void clickItem(QQuickItem *item)
{
    QTest::mouseClick(item->window(), Qt::LeftButton, Qt::NoModifier, sceneCenter(item).toPoint());
}

void hoverItem(QQuickItem *item)
{
    hoverPoint(item->window(), sceneCenter(item));
}

void hoverPoint(QQuickWindow *window, const QPointF &scenePoint)
{
    QTest::mouseMove(window, scenePoint.toPoint());
    // Hover is resolved on the next frame's delivery pass.
    QCoreApplication::processEvents();
}

void typeText(QQuickWindow *window, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(window, c.toLatin1());
        } else {
            // No key of its own (ñ, é): a key event that carries the letter as its text.
            QTest::sendKeyEvent(QTest::Press, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

QString accessibleName(QQuickItem *item)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString accessibleText(QQuickItem *item)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
    if (!iface || (iface->role() != QAccessible::StaticText && iface->role() != QAccessible::Heading))
        return {};
    // What a screen reader walks: the item among its accessible parent's children.
    QAccessibleInterface *parent = iface->parent();
    if (!parent || parent->indexOfChild(iface) < 0)
        return {};
    return iface->text(QAccessible::Name);
}

bool pressByAccessibility(QQuickItem *item)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
    QAccessibleActionInterface *actions = iface ? iface->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

QString focusedName(QQuickWindow *window)
{
    QQuickItem *focused = window->activeFocusItem();
    return focused ? focused->objectName() : QString();
}

QStringList unnamedControls(QQuickItem *root)
{
    QStringList unnamed;
    QList<QQuickItem *> pending{root};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (!item->isVisible())
            continue;
        const bool control = item->inherits("QQuickAbstractButton") || item->inherits("QQuickTextInput");
        if (control && accessibleName(item).isEmpty())
            unnamed << QStringLiteral("%1 \"%2\"")
                           .arg(QLatin1String(item->metaObject()->className()), item->objectName());
        pending.append(item->childItems());
    }
    return unnamed;
}

QStringList unreadTexts(QQuickItem *root)
{
    const auto namedByControl = [](QQuickItem *text, const QString &words) {
        for (QQuickItem *around = text->parentItem(); around; around = around->parentItem()) {
            if (around->inherits("QQuickAbstractButton") && accessibleName(around).contains(words))
                return true;
        }
        return false;
    };
    QStringList unread;
    QList<QQuickItem *> pending{root};
    while (!pending.isEmpty()) {
        QQuickItem *item = pending.takeFirst();
        if (!item->isVisible())
            continue;
        // A symbol's glyph is drawing, not text.
        const bool text =
            item->inherits("QQuickText") &&
            !QLatin1String(item->metaObject()->className()).startsWith(QLatin1String("SystemSymbol"));
        const QString words = text ? item->property("text").toString() : QString();
        if (!words.isEmpty() && accessibleText(item) != words && !namedByControl(item, words))
            unread << QStringLiteral("\"%1\" (%2)").arg(words, item->objectName());
        pending.append(item->childItems());
    }
    return unread;
}

} // namespace norvane::test
