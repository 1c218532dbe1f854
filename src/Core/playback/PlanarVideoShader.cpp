#include "playback/PlanarVideoShader.h"

#include "playback/PlanarVideoMaterial.h"

#include <QByteArray>
#include <cstring>

namespace {

// The uniform block's layout (std140), as both shader stages declare it.
constexpr int matrixOffset = 0;
constexpr int toRgbOffset = 64;
constexpr int chromaScaleOffset = 128;
constexpr int opacityOffset = 136;

} // namespace

PlanarVideoShader::PlanarVideoShader()
{
    setShaderFileName(VertexStage, QStringLiteral(":/norvane/playback/shaders/planarvideo.vert.qsb"));
    setShaderFileName(FragmentStage, QStringLiteral(":/norvane/playback/shaders/planarvideo.frag.qsb"));
}

bool PlanarVideoShader::updateUniformData(RenderState &state, QSGMaterial *newMaterial, QSGMaterial *)
{
    char *data = state.uniformData()->data();
    if (state.isMatrixDirty())
        std::memcpy(data + matrixOffset, state.combinedMatrix().constData(), 64);
    // Written every time: the node changes its one material in place when the format changes, so
    // the previous material can be this very one.
    const auto *material = static_cast<const PlanarVideoMaterial *>(newMaterial);
    std::memcpy(data + toRgbOffset, material->toRgb().constData(), 64);
    const float scale[2] = {material->chromaScale().x(), material->chromaScale().y()};
    std::memcpy(data + chromaScaleOffset, scale, sizeof scale);
    if (state.isOpacityDirty()) {
        const float opacity = state.opacity();
        std::memcpy(data + opacityOffset, &opacity, sizeof opacity);
    }
    return true;
}

void PlanarVideoShader::updateSampledImage(RenderState &, int binding, QSGTexture **texture,
                                           QSGMaterial *newMaterial, QSGMaterial *)
{
    // Bindings 1 to 3: luma, blue-difference and red-difference planes.
    if (binding >= 1 && binding <= 3)
        *texture = static_cast<PlanarVideoMaterial *>(newMaterial)->plane(binding - 1);
}
