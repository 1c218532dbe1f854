#include "playback/PlanarVideoNode.h"

#include <QQuickWindow>

PlanarVideoNode::PlanarVideoNode(QQuickWindow *window)
    : m_window(window), m_geometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 4)
{
    setGeometry(&m_geometry);
    setMaterial(&m_material);
    setFlag(UsePreprocess, true);
}

PlanarVideoNode::~PlanarVideoNode() = default;

void PlanarVideoNode::setPicture(std::shared_ptr<const VideoBuffer> picture)
{
    if (!picture || picture->layout() != VideoBuffer::Layout::I420 || !picture->isValid())
        return;
    if (picture->size() != m_pictureSize) {
        m_pictureSize = picture->size();
        m_geometryStale = true;
        setPlacement(m_target, m_source);
    }
    m_pending = std::move(picture);
}

void PlanarVideoNode::setPlacement(const QRectF &target, const QRectF &source)
{
    // Called for every picture: unchanged geometry is not uploaded again.
    if (target == m_target && source == m_source && !m_geometryStale)
        return;
    m_target = target;
    m_source = source;
    if (m_pictureSize.isEmpty())
        return;
    const QRectF normalised(source.x() / m_pictureSize.width(), source.y() / m_pictureSize.height(),
                            source.width() / m_pictureSize.width(), source.height() / m_pictureSize.height());
    QSGGeometry::updateTexturedRectGeometry(&m_geometry, target, normalised);
    m_geometryStale = false;
    markDirty(DirtyGeometry);
}

void PlanarVideoNode::preprocess()
{
    if (!m_pending)
        return;
    const std::shared_ptr<const VideoBuffer> picture = std::move(m_pending);
    m_pending.reset();
    // Native calls in the middle of the scene graph's own: it must know, to keep its state right.
    m_window->beginExternalCommands();
    for (int i = 0; i < picture->planeCount(); ++i)
        m_planes[size_t(i)].upload(m_window, picture->plane(i), picture->planeSize(i), picture->pitch(i));
    m_window->endExternalCommands();
    m_material.setPlanes({m_planes[0].texture(), m_planes[1].texture(), m_planes[2].texture()});
    m_material.setColour(VideoColour::of(picture->size(), picture->isFullRange()));
    const QSize chroma = picture->planeSize(1);
    m_material.setChromaScale(QVector2D(float(picture->size().width()) / float(2 * chroma.width()),
                                        float(picture->size().height()) / float(2 * chroma.height())));
    markDirty(DirtyMaterial);
}
