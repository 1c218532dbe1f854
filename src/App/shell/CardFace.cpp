#include "shell/CardFace.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>
#include <cmath>

namespace {

QString readablePath(const QUrl &url)
{
    if (url.scheme() == QLatin1String("qrc"))
        return QLatin1Char(':') + url.path();
    if (url.isLocalFile())
        return url.toLocalFile();
    return {};
}

} // namespace

CardFace::CardFace(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

void CardFace::setSource(const QUrl &source)
{
    if (m_source == source)
        return;
    m_source = source;
    m_cache = {};
    m_cacheSize = {};
    setHasImage(QImageReader(readablePath(source)).canRead());
    update();
    Q_EMIT sourceChanged();
}

void CardFace::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    update();
    Q_EMIT radiusChanged();
}

void CardFace::setFillColor(const QColor &color)
{
    if (m_fillColor == color)
        return;
    m_fillColor = color;
    update();
    Q_EMIT fillColorChanged();
}

void CardFace::setBorderWidth(qreal width)
{
    if (qFuzzyCompare(m_borderWidth + 1, width + 1))
        return;
    m_borderWidth = width;
    update();
    Q_EMIT borderWidthChanged();
}

void CardFace::setBorderColors(const QVariantList &colors)
{
    if (m_borderColors == colors)
        return;
    m_borderColors = colors;
    update();
    Q_EMIT borderColorsChanged();
}

void CardFace::setHasImage(bool has)
{
    if (m_hasImage == has)
        return;
    m_hasImage = has;
    Q_EMIT hasImageChanged();
}

QRectF CardFace::cropRect(const QSizeF &imageSize, const QSizeF &target)
{
    if (imageSize.isEmpty() || target.isEmpty())
        return {};
    const qreal scale = std::max(target.width() / imageSize.width(), target.height() / imageSize.height());
    const QSizeF visible(target.width() / scale, target.height() / scale);
    return QRectF(
        QPointF((imageSize.width() - visible.width()) / 2, (imageSize.height() - visible.height()) / 2),
        visible);
}

QImage CardFace::renderedImage()
{
    const qreal dpr = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels(std::ceil(width() * dpr), std::ceil(height() * dpr));
    if (!m_hasImage || pixels.isEmpty())
        return {};
    if (pixels == m_cacheSize)
        return m_cache;

    QImageReader reader(readablePath(m_source));
    const QSize natural = reader.size();
    if (natural.isEmpty())
        return {};
    // Read just large enough to cover the card, then keep the centred part.
    const qreal scale =
        std::max(qreal(pixels.width()) / natural.width(), qreal(pixels.height()) / natural.height());
    const QSize scaled(std::ceil(natural.width() * scale), std::ceil(natural.height() * scale));
    reader.setScaledSize(scaled);
    const QImage full = reader.read();
    if (full.isNull())
        return {};
    const QRect crop = cropRect(scaled, pixels).toAlignedRect().intersected(full.rect());
    m_cache = full.copy(crop);
    m_cache.setDevicePixelRatio(dpr);
    m_cacheSize = pixels;
    return m_cache;
}

void CardFace::paint(QPainter *painter)
{
    const QRectF bounds(0, 0, width(), height());
    if (bounds.isEmpty())
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);

    QPainterPath shape;
    shape.addRoundedRect(bounds, m_radius, m_radius);
    painter->fillPath(shape, m_fillColor);

    const QImage image = renderedImage();
    if (!image.isNull()) {
        painter->save();
        painter->setClipPath(shape);
        painter->drawImage(bounds, image);
        painter->restore();
    }

    if (m_borderWidth <= 0 || m_borderColors.isEmpty())
        return;
    QLinearGradient gradient(bounds.topLeft(), bounds.topRight());
    const qsizetype last = m_borderColors.size() - 1;
    for (qsizetype i = 0; i <= last; ++i)
        gradient.setColorAt(last > 0 ? qreal(i) / qreal(last) : 0.0, m_borderColors.at(i).value<QColor>());
    // Inside the edge: the stroke's outer side lies on the panel's outline.
    const qreal half = m_borderWidth / 2;
    const QRectF inner = bounds.adjusted(half, half, -half, -half);
    const qreal innerRadius = std::max<qreal>(0, m_radius - half);
    painter->setPen(QPen(QBrush(gradient), m_borderWidth));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(inner, innerRadius, innerRadius);
}
