#include "images/RemoteImage.h"

#include "images/ImageCache.h"

#include <QPainter>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTexture>

RemoteImage::RemoteImage(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

RemoteImage::~RemoteImage()
{
    delete m_placeholderItem.data();
}

void RemoteImage::setUrlString(const QString &urlString)
{
    if (m_urlString == urlString) {
        retryIfFailed();
        return;
    }
    m_urlString = urlString;
    Q_EMIT urlStringChanged();
    if (isComponentComplete())
        reload();
}

void RemoteImage::setPlaceholder(QQmlComponent *placeholder)
{
    if (m_placeholder == placeholder)
        return;
    m_placeholder = placeholder;
    if (m_placeholderItem) {
        m_placeholderItem->setParentItem(nullptr);
        m_placeholderItem->deleteLater();
    }
    m_placeholderItem = nullptr;
    Q_EMIT placeholderChanged();
    if (isComponentComplete())
        updatePlaceholder();
}

void RemoteImage::setFillMode(FillMode mode)
{
    if (m_fillMode == mode)
        return;
    m_fillMode = mode;
    Q_EMIT fillModeChanged();
    repaintPicture();
}

void RemoteImage::setRadius(qreal radius)
{
    if (qFuzzyCompare(m_radius, radius))
        return;
    m_radius = radius;
    Q_EMIT radiusChanged();
    repaintPicture();
}

void RemoteImage::repaintPicture()
{
    m_imageDirty = true;
    update();
}

QRectF RemoteImage::sourceRect(QSize imageSize, QSizeF itemSize, FillMode mode)
{
    const QRectF whole(QPointF(0, 0), QSizeF(imageSize));
    if (mode != PreserveAspectCrop || imageSize.isEmpty() || itemSize.isEmpty())
        return whole;
    const qreal itemAspect = itemSize.width() / itemSize.height();
    const qreal imageAspect = whole.width() / whole.height();
    if (imageAspect > itemAspect) {
        const qreal width = whole.height() * itemAspect;
        return QRectF((whole.width() - width) / 2, 0, width, whole.height());
    }
    const qreal height = whole.width() / itemAspect;
    return QRectF(0, (whole.height() - height) / 2, whole.width(), height);
}

QRectF RemoteImage::targetRect(QSize imageSize, QSizeF itemSize, FillMode mode)
{
    const QRectF whole(QPointF(0, 0), itemSize);
    if (mode != PreserveAspectFit || imageSize.isEmpty() || itemSize.isEmpty())
        return whole;
    const QSizeF fitted = QSizeF(imageSize).scaled(itemSize, Qt::KeepAspectRatio);
    return QRectF(QPointF((itemSize.width() - fitted.width()) / 2, (itemSize.height() - fitted.height()) / 2),
                  fitted);
}

// The shown part of the image at the item's pixel size, inside rounded corners with smooth
// edges. Drawn once per picture and size: not every scene-graph backend can clip to a rounded
// shape.
QImage RemoteImage::roundedPicture(QSize pixelSize) const
{
    const QRect shown = sourceRect(m_image.size(), size(), m_fillMode).toAlignedRect();
    const QImage scaled =
        m_image.copy(shown).scaled(pixelSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage picture(pixelSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(scaled);
    const qreal radius = m_radius * pixelSize.width() / width();
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(pixelSize)), radius, radius);
    return picture;
}

void RemoteImage::componentComplete()
{
    QQuickItem::componentComplete();
    reload();
    updatePlaceholder();
}

void RemoteImage::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    // Shown again: on screen once more, or in a window once more.
    if ((change == ItemVisibleHasChanged && value.boolValue) || (change == ItemSceneChange && value.window))
        retryIfFailed();
}

void RemoteImage::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (m_placeholderItem)
        m_placeholderItem->setSize(newGeometry.size());
    update();
}

void RemoteImage::retryIfFailed()
{
    if (m_failed && isComponentComplete())
        reload();
}

void RemoteImage::reload()
{
    const quint64 generation = ++m_generation;
    m_failed = false;
    if (m_urlString.isEmpty()) {
        setImage({});
        return;
    }
    ImageCache *cache = ImageCache::shared();
    if (const auto image = cache->cached(m_urlString)) {
        setImage(*image);
        return;
    }
    setImage({});
    load(m_urlString, generation);
}

QCoro::Task<> RemoteImage::load(QString url, quint64 generation)
{
    QPointer<RemoteImage> self(this);
    ImageCache *cache = ImageCache::shared();
    const std::optional<QImage> image = co_await cache->fetch(url);
    if (!self || self->m_generation != generation)
        co_return;
    if (!image) {
        self->m_failed = true;
        co_return;
    }
    cache->remember(url, *image);
    self->setImage(*image);
}

void RemoteImage::setImage(const QImage &image)
{
    const bool had = hasImage();
    if (!had && image.isNull())
        return;
    m_image = image;
    m_imageDirty = true;
    update();
    if (had != hasImage()) {
        Q_EMIT hasImageChanged();
        updatePlaceholder();
    }
}

void RemoteImage::updatePlaceholder()
{
    if (hasImage() || !m_placeholder) {
        if (m_placeholderItem)
            m_placeholderItem->setVisible(false);
        return;
    }
    if (!m_placeholderItem) {
        QQmlContext *context = m_placeholder->creationContext();
        if (!context)
            context = qmlContext(this);
        QObject *created = m_placeholder->beginCreate(context);
        auto *item = qobject_cast<QQuickItem *>(created);
        if (!item) {
            delete created;
            return;
        }
        item->setParent(this);
        item->setParentItem(this);
        item->setSize(size());
        m_placeholder->completeCreate();
        m_placeholderItem = item;
    }
    m_placeholderItem->setVisible(true);
}

QSGNode *RemoteImage::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<QSGImageNode *>(oldNode);
    const bool rounded = m_radius > 0;
    const QSize pixelSize = (size() * window()->effectiveDevicePixelRatio()).toSize();
    // A new picture gets a new node: some scene-graph backends do not free a replaced texture.
    if (m_imageDirty || m_image.isNull() || pixelSize.isEmpty() ||
        (rounded && pixelSize != m_texturePixelSize)) {
        delete node;
        node = nullptr;
    }
    if (m_image.isNull() || pixelSize.isEmpty())
        return nullptr;
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setTexture(window()->createTextureFromImage(rounded ? roundedPicture(pixelSize) : m_image));
        node->setFiltering(QSGTexture::Linear);
        m_texturePixelSize = pixelSize;
        m_imageDirty = false;
    }
    node->setRect(rounded ? boundingRect() : targetRect(m_image.size(), size(), m_fillMode));
    node->setSourceRect(rounded ? QRectF(QPointF(0, 0), QSizeF(pixelSize))
                                : sourceRect(m_image.size(), size(), m_fillMode));
    return node;
}
