#include "ItemInput.h"

#include <QAccessible>
#include <QQuickItem>
#include <QQuickWindow>
#include <QtTest>

namespace norvane::test {

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

QString accessibleName(QQuickItem *item)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(item);
    return iface ? iface->text(QAccessible::Name) : QString();
}

} // namespace norvane::test
