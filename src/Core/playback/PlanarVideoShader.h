#pragma once

#include <QSGMaterialShader>

// The shader of PlanarVideoMaterial, compiled at build time (shaders/planarvideo.*): samples the
// three planes and applies the picture's YCbCr-to-RGB matrix.
class PlanarVideoShader : public QSGMaterialShader
{
public:
    PlanarVideoShader();

    bool updateUniformData(RenderState &state, QSGMaterial *newMaterial, QSGMaterial *oldMaterial) override;
    void updateSampledImage(RenderState &state, int binding, QSGTexture **texture, QSGMaterial *newMaterial,
                            QSGMaterial *oldMaterial) override;
};
