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

    bool isKnown() const { return !size.isEmpty(); }
    // Width over height of one pixel. Unknown (0) and absurd ratios (a broken stream) count as square.
    double pixelAspect() const
    {
        if (sarNum == 0 || sarDen == 0)
            return 1.0;
        const double aspect = double(sarNum) / double(sarDen);
        return aspect >= 0.25 && aspect <= 4.0 ? aspect : 1.0;
    }
};
