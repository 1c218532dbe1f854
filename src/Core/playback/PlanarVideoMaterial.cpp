#include "playback/PlanarVideoMaterial.h"

#include "playback/PlanarVideoShader.h"

#include <QSGTexture>

PlanarVideoMaterial::PlanarVideoMaterial() = default;

QSGMaterialType *PlanarVideoMaterial::type() const
{
    static QSGMaterialType type;
    return &type;
}

QSGMaterialShader *PlanarVideoMaterial::createShader(QSGRendererInterface::RenderMode) const
{
    return new PlanarVideoShader;
}

int PlanarVideoMaterial::compare(const QSGMaterial *other) const
{
    const auto *that = static_cast<const PlanarVideoMaterial *>(other);
    for (size_t i = 0; i < m_planes.size(); ++i) {
        const qint64 a = m_planes[i] ? m_planes[i]->comparisonKey() : 0;
        const qint64 b = that->m_planes[i] ? that->m_planes[i]->comparisonKey() : 0;
        if (a != b)
            return a < b ? -1 : 1;
    }
    if (m_toRgb != that->m_toRgb || m_chromaScale != that->m_chromaScale)
        return this < that ? -1 : 1;
    return 0;
}
