#pragma once

#include <QMatrix4x4>
#include <QSize>

// How a planar picture's YCbCr samples become RGB: the one place that decides the matrix and the
// range. libVLC 3's video callbacks tell neither, only the chroma: its decoders hand full-range
// pictures over as "J420" and studio-range ones as "I420". The matrix follows the picture's height,
// as broadcasters and encoders tag their streams: up to 576 rows (SD) BT.601, above it (HD) BT.709.
struct VideoColour
{
    enum class Matrix { Bt601, Bt709 };
    Matrix matrix = Matrix::Bt601;
    bool fullRange = false;

    static constexpr int largestSdHeight = 576;

    static VideoColour of(QSize picture, bool fullRange)
    {
        return {picture.height() > largestSdHeight ? Matrix::Bt709 : Matrix::Bt601, fullRange};
    }

    // From (Y, Cb, Cr, 1), each sample divided by 255, to (R, G, B, 1) in 0..1 (before clamping).
    QMatrix4x4 toRgb() const
    {
        // Luma weights of red and blue; green's is what is left.
        const float kr = matrix == Matrix::Bt709 ? 0.2126f : 0.299f;
        const float kb = matrix == Matrix::Bt709 ? 0.0722f : 0.114f;
        const float kg = 1.0f - kr - kb;
        // Studio range: luma 16-235, chroma 16-240 around 128.
        const float yScale = fullRange ? 1.0f : 255.0f / 219.0f;
        const float cScale = fullRange ? 1.0f : 255.0f / 224.0f;
        const float yOffset = fullRange ? 0.0f : 16.0f / 255.0f;
        const float cOffset = 128.0f / 255.0f;
        const float crToR = 2.0f * (1.0f - kr) * cScale;
        const float cbToB = 2.0f * (1.0f - kb) * cScale;
        const float cbToG = -cbToB * kb / kg;
        const float crToG = -crToR * kr / kg;
        const QMatrix4x4 weights(yScale, 0.0f, crToR, 0.0f,  //
                                 yScale, cbToG, crToG, 0.0f, //
                                 yScale, cbToB, 0.0f, 0.0f,  //
                                 0.0f, 0.0f, 0.0f, 1.0f);
        QMatrix4x4 centred;
        centred.translate(-yOffset, -cOffset, -cOffset);
        return weights * centred;
    }
};
