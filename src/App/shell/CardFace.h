#pragma once

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>
#include <QUrl>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The face of a main menu card: a rounded panel whose artwork fills it (aspect kept, the overflow
// cut off by the rounded shape) and a border drawn inside the edge with a horizontal gradient.
// Painted with QPainter so the rounded clip works on every scene-graph backend.
class CardFace : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged FINAL)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged FINAL)
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor NOTIFY fillColorChanged FINAL)
    Q_PROPERTY(qreal borderWidth READ borderWidth WRITE setBorderWidth NOTIFY borderWidthChanged FINAL)
    Q_PROPERTY(
        QVariantList borderColors READ borderColors WRITE setBorderColors NOTIFY borderColorsChanged FINAL)
    // False while there is no source or it cannot be read (the panel then shows only its fill).
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged FINAL)

public:
    explicit CardFace(QQuickItem *parent = nullptr);

    QUrl source() const { return m_source; }
    void setSource(const QUrl &source);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QColor fillColor() const { return m_fillColor; }
    void setFillColor(const QColor &color);
    qreal borderWidth() const { return m_borderWidth; }
    void setBorderWidth(qreal width);
    QVariantList borderColors() const { return m_borderColors; }
    void setBorderColors(const QVariantList &colors);
    bool hasImage() const { return m_hasImage; }

    void paint(QPainter *painter) override;

    // The part of an image of `imageSize` that covers `target` with the aspect ratio kept
    // (centred, the rest cropped).
    static QRectF cropRect(const QSizeF &imageSize, const QSizeF &target);

Q_SIGNALS:
    void sourceChanged();
    void radiusChanged();
    void fillColorChanged();
    void borderWidthChanged();
    void borderColorsChanged();
    void hasImageChanged();

private:
    QImage renderedImage();
    void setHasImage(bool has);

    QUrl m_source;
    qreal m_radius = 16;
    QColor m_fillColor = Qt::black;
    qreal m_borderWidth = 0;
    QVariantList m_borderColors;
    bool m_hasImage = false;
    // Rendered once per size: SVG artwork is drawn at the card's real pixel size.
    QImage m_cache;
    QSize m_cacheSize;
};
