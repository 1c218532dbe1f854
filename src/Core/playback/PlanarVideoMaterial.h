#pragma once

#include "playback/VideoColour.h"

#include <QMatrix4x4>
#include <QSGMaterial>
#include <QVector2D>
#include <array>

class QSGTexture;

// Draws a planar YUV picture: its three plane textures (owned by the node) and how their samples
// become RGB.
class PlanarVideoMaterial : public QSGMaterial
{
public:
    PlanarVideoMaterial();

    QSGMaterialType *type() const override;
    QSGMaterialShader *createShader(QSGRendererInterface::RenderMode renderMode) const override;
    int compare(const QSGMaterial *other) const override;

    void setPlanes(const std::array<QSGTexture *, 3> &planes) { m_planes = planes; }
    QSGTexture *plane(int index) const { return m_planes[size_t(index)]; }
    void setColour(const VideoColour &colour) { m_toRgb = colour.toRgb(); }
    const QMatrix4x4 &toRgb() const { return m_toRgb; }
    // Where a luma texture coordinate falls in the chroma textures (1 unless a side is odd).
    void setChromaScale(QVector2D scale) { m_chromaScale = scale; }
    QVector2D chromaScale() const { return m_chromaScale; }

private:
    std::array<QSGTexture *, 3> m_planes{};
    QMatrix4x4 m_toRgb;
    QVector2D m_chromaScale{1.0f, 1.0f};
};
