#pragma once

#include <QPointF>
#include <QString>

class QQuickItem;
class QQuickWindow;

namespace norvane::test {

// Mouse input aimed at an item, as a user would give it, through the item's window.
QPointF sceneCenter(const QQuickItem *item);
void clickItem(QQuickItem *item);
void hoverItem(QQuickItem *item);
void hoverPoint(QQuickWindow *window, const QPointF &scenePoint);

// The accessible name the item offers to assistive technology (empty when it has none).
QString accessibleName(QQuickItem *item);

} // namespace norvane::test
