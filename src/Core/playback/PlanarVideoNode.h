#pragma once

#include "playback/PlanarVideoMaterial.h"
#include "playback/PlaneTexture.h"
#include "playback/VideoBuffer.h"

#include <QRectF>
#include <QSGGeometry>
#include <QSGGeometryNode>
#include <array>
#include <memory>

class QQuickWindow;

// A planar YUV picture in the OpenGL scene graph: its planes are uploaded as three textures just
// before the frame is drawn (render thread, context current) and converted by PlanarVideoMaterial's
// shader. The node holds the newest picture only until it is uploaded, so the decoder gets the
// buffer back one frame later.
class PlanarVideoNode : public QSGGeometryNode
{
public:
    explicit PlanarVideoNode(QQuickWindow *window);
    ~PlanarVideoNode() override;

    void setPicture(std::shared_ptr<const VideoBuffer> picture);
    // Where the picture goes in the item, and which part of it is drawn (in the picture's pixels).
    void setPlacement(const QRectF &target, const QRectF &source);
    void preprocess() override;

private:
    QQuickWindow *m_window;
    QSGGeometry m_geometry;
    PlanarVideoMaterial m_material;
    std::array<PlaneTexture, VideoBuffer::maxPlanes> m_planes;
    std::shared_ptr<const VideoBuffer> m_pending;
    // The size of the latest picture, which the texture coordinates are relative to.
    QSize m_pictureSize;
    bool m_geometryStale = true; // the picture size changed since the geometry was made
    QRectF m_target;
    QRectF m_source;
};
