#include "style/RadialGlow.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

RadialGlow::RadialGlow(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    // Decoration only: never takes the mouse from what lies under it.
    setAcceptedMouseButtons(Qt::NoButton);
}

template <typename T> void RadialGlow::assign(T &field, const T &value)
{
    if (field == value)
        return;
    field = value;
    update();
    Q_EMIT changed();
}

void RadialGlow::setColor(const QColor &color)
{
    assign(m_color, color);
}
void RadialGlow::setCenterOpacity(qreal opacity)
{
    assign(m_centerOpacity, opacity);
}
void RadialGlow::setCenter(const QPointF &center)
{
    assign(m_center, center);
}
void RadialGlow::setRadius(qreal radius)
{
    assign(m_radius, radius);
}

QPointF RadialGlow::centerPoint(const QSizeF &size) const
{
    return QPointF(m_center.x() * size.width(), m_center.y() * size.height());
}

qreal RadialGlow::radiusLength(const QSizeF &size) const
{
    return m_radius * size.width();
}

void RadialGlow::paint(QPainter *painter)
{
    const QSizeF size(width(), height());
    const qreal radius = radiusLength(size);
    if (size.isEmpty() || radius <= 0)
        return;
    QColor inner = m_color;
    inner.setAlphaF(std::clamp<qreal>(m_centerOpacity, 0, 1));
    QColor outer = m_color;
    outer.setAlphaF(0);
    QRadialGradient gradient(centerPoint(size), radius);
    gradient.setColorAt(0, inner);
    gradient.setColorAt(1, outer);
    painter->fillRect(QRectF(QPointF(0, 0), size), gradient);
}
