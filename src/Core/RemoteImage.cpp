#include "RemoteImage.h"

#include "ImageCache.h"

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
    if (m_urlString == urlString)
        return;
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

void RemoteImage::componentComplete()
{
    QQuickItem::componentComplete();
    reload();
    updatePlaceholder();
}

void RemoteImage::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (m_placeholderItem)
        m_placeholderItem->setSize(newGeometry.size());
    update();
}

void RemoteImage::reload()
{
    const quint64 generation = ++m_generation;
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
    if (!self || self->m_generation != generation || !image)
        co_return;
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
    // A new picture gets a new node: some scene-graph backends do not free a replaced texture.
    if (m_imageDirty || m_image.isNull() || width() <= 0 || height() <= 0) {
        delete node;
        node = nullptr;
    }
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return nullptr;
    if (!node) {
        node = window()->createImageNode();
        node->setOwnsTexture(true);
        node->setTexture(window()->createTextureFromImage(m_image));
        node->setFiltering(QSGTexture::Linear);
        m_imageDirty = false;
    }
    node->setRect(boundingRect());
    node->setSourceRect(QRectF(QPointF(0, 0), QSizeF(m_image.size())));
    return node;
}
