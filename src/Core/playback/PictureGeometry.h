#pragma once

#include <QSize>

// The shape of a decoded picture: its size in pixels and the shape of one pixel (the sample
// aspect ratio). Broadcast SD stores a 16:9 picture in 720x576 pixels that are wider than tall
// (64:45); drawn with square pixels it looks squeezed.
struct PictureGeometry
{
    QSize size;
    unsigned sarNum = 1;
    unsigned sarDen = 1;

    // How far the decoder's buffer may exceed the picture it holds (codecs round their pictures
    // up to whole blocks and add a few rows, 1080 rows become 1090).
    static constexpr int maxDecoderPadding = 64;

    bool isKnown() const { return !size.isEmpty(); }
    // Width over height of one pixel. Unknown (0) and absurd ratios (a broken stream) count as square.
    double pixelAspect() const
    {
        if (sarNum == 0 || sarDen == 0)
            return 1.0;
        const double aspect = double(sarNum) / double(sarDen);
        return aspect >= 0.25 && aspect <= 4.0 ? aspect : 1.0;
    }
    // Whether this is the picture of a decoder that works at `decoded` (its padded size). libVLC
    // learns a new shape only after the decoder has switched to it, so what it says may still be
    // the previous picture's: a size that does not fit the decoder's is someone else's.
    bool fitsDecoderSize(QSize decoded) const
    {
        return isKnown() && size.width() <= decoded.width() && size.height() <= decoded.height() &&
               decoded.width() - size.width() < maxDecoderPadding &&
               decoded.height() - size.height() < maxDecoderPadding;
    }
    // Width over height of one pixel of a buffer that holds the whole picture scaled to `buffer`
    // (libVLC scales the picture into whatever size its buffer was given); square while unknown.
    double pixelAspectIn(QSize buffer) const
    {
        if (!isKnown() || buffer.isEmpty())
            return 1.0;
        return pixelAspect() * size.width() * buffer.height() / (double(size.height()) * buffer.width());
    }
    bool operator==(const PictureGeometry &) const = default;
};
