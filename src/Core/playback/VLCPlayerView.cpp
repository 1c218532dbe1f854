#include "playback/VLCPlayerView.h"

#include "playback/PlanarVideoNode.h"
#include "playback/VLCEngine.h"
#include "playback/VideoSurface.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGRectangleNode>

namespace {

// The background with, while this view hosts the picture, the picture as its one child (an image
// node for RGB pictures, a planar node for YUV ones). A
// (identity) transform node rather than a plain one: the software scene graph places a node added
// after the first frame by the state it recorded for its parent, and it records none for plain
// nodes, so a picture arriving later would be drawn at the window's origin.
class ViewNode : public QSGTransformNode
{
public:
    QSGRectangleNode *background = nullptr;
    QSGImageNode *picture = nullptr;
    PlanarVideoNode *planar = nullptr;
};

template <typename Node> void removeChild(ViewNode *parent, Node *&child)
{
    if (!child)
        return;
    parent->removeChildNode(child);
    delete child;
    child = nullptr;
}

} // namespace

VLCPlayerView::VLCPlayerView(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
    connect(surface(), &VideoSurface::hostChanged, this, [this] {
        const bool host = showsVideo();
        if (host != m_wasHost) {
            m_wasHost = host;
            Q_EMIT showsVideoChanged();
        }
    });
}

VLCPlayerView::~VLCPlayerView()
{
    // The surface tells its views about a new host when this one's destroyed() fires, which is
    // after this class is gone: this view must not hear it.
    disconnect(surface(), &VideoSurface::hostChanged, this, nullptr);
}

VideoSurface *VLCPlayerView::surface() const
{
    return VLCEngine::shared()->surface();
}

void VLCPlayerView::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    update();
    Q_EMIT colorChanged();
}

bool VLCPlayerView::showsVideo() const
{
    return surface()->host() == this;
}

void VLCPlayerView::attach()
{
    surface()->useSceneGraphOf(window());
    surface()->attach(this);
}

void VLCPlayerView::componentComplete()
{
    QQuickItem::componentComplete();
    attach();
}

void VLCPlayerView::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemVisibleHasChanged && value.boolValue && isComponentComplete())
        attach();
    if (change == ItemSceneChange && value.window)
        surface()->useSceneGraphOf(value.window);
}

VLCPlayerView::Placement VLCPlayerView::place(const QSizeF &item, const QRectF &picture, bool fill,
                                              double pixelAspect)
{
    if (item.isEmpty() || picture.isEmpty() || !(pixelAspect > 0))
        return {};
    // The picture as it is meant to be seen; the source rectangle stays in the buffer's pixels.
    const QSizeF shown(picture.width() * pixelAspect, picture.height());
    const double scaleFit = std::min(item.width() / shown.width(), item.height() / shown.height());
    const double scaleFill = std::max(item.width() / shown.width(), item.height() / shown.height());
    if (!fill) {
        const QSizeF drawn = shown * scaleFit;
        const QPointF at((item.width() - drawn.width()) / 2, (item.height() - drawn.height()) / 2);
        return {QRectF(at, drawn), picture};
    }
    // Only the part of the picture that covers the item is sampled, centred.
    const QSizeF sampled(item.width() / scaleFill / pixelAspect, item.height() / scaleFill);
    const QPointF from(picture.x() + (picture.width() - sampled.width()) / 2,
                       picture.y() + (picture.height() - sampled.height()) / 2);
    return {QRectF(QPointF(0, 0), item), QRectF(from, sampled)};
}

QSGNode *VLCPlayerView::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<ViewNode *>(oldNode);
    if (!node) {
        node = new ViewNode;
        node->background = window()->createRectangleNode();
        node->appendChildNode(node->background);
    }
    node->background->setRect(boundingRect());
    node->background->setColor(m_color);

    VideoSurface *video = surface();
    const VideoSurface::Frame frame = video->host() == this ? video->currentFrame() : VideoSurface::Frame{};
    // Planes need the OpenGL scene graph's shader; the surface only makes them when it runs.
    const bool drawable =
        !frame.planes || window()->rendererInterface()->graphicsApi() == QSGRendererInterface::OpenGL;
    if (frame.isNull() || !drawable) {
        removeChild(node, node->picture);
        removeChild(node, node->planar);
        m_shownSerial = 0;
        return node;
    }
    const Placement placement = place(size(), frame.visible, video->fillScreen(), frame.pixelAspect);
    if (frame.planes) {
        removeChild(node, node->picture); // the surface's layout changed (tests render both)
        const bool newPicture = !node->planar;
        if (newPicture)
            node->planar = new PlanarVideoNode(window());
        if (newPicture || frame.serial != m_shownSerial) {
            node->planar->setPicture(frame.planes); // uploaded as the frame is drawn, no copy here
            m_shownSerial = frame.serial;
        }
        node->planar->setPlacement(placement.target, placement.source);
        if (newPicture)
            node->appendChildNode(node->planar);
        return node;
    }
    removeChild(node, node->planar);
    const bool newPicture = !node->picture;
    if (newPicture) {
        node->picture = window()->createImageNode();
        node->picture->setOwnsTexture(true);
        node->picture->setFiltering(QSGTexture::Linear);
    }
    if (newPicture || frame.serial != m_shownSerial) {
        // The texture shares the decoded buffer (software) or uploads it (OpenGL); no copy here.
        node->picture->setTexture(window()->createTextureFromImage(frame.image));
        m_shownSerial = frame.serial;
    }
    node->picture->setRect(placement.target);
    node->picture->setSourceRect(placement.source);
    if (newPicture)
        node->appendChildNode(node->picture); // only with its texture: the renderer draws it at once
    return node;
}
