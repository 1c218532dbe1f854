#pragma once

#include <QColor>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

// A soft radial light over the whole item: `color` at `centerOpacity` in the middle, fading to
// transparent at `radius`. The centre and radius are fractions of the item's size, so the glow
// follows the window as it is resized (the centre may lie outside the item).
class RadialGlow : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY changed FINAL)
    Q_PROPERTY(qreal centerOpacity READ centerOpacity WRITE setCenterOpacity NOTIFY changed FINAL)
    // Centre as fractions of the width and the height.
    Q_PROPERTY(QPointF center READ center WRITE setCenter NOTIFY changed FINAL)
    // Radius as a fraction of the width.
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY changed FINAL)

public:
    explicit RadialGlow(QQuickItem *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    qreal centerOpacity() const { return m_centerOpacity; }
    void setCenterOpacity(qreal opacity);
    QPointF center() const { return m_center; }
    void setCenter(const QPointF &center);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);

    // The glow's centre and radius in item coordinates for an item of `size`.
    QPointF centerPoint(const QSizeF &size) const;
    qreal radiusLength(const QSizeF &size) const;

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void changed();

private:
    template <typename T> void assign(T &field, const T &value);

    QColor m_color = Qt::white;
    qreal m_centerOpacity = 1;
    QPointF m_center{0.5, 0.5};
    qreal m_radius = 0.5;
};
