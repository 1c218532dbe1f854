#pragma once

#include <QSize>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cstdlib>

// One decoded picture's memory with its layout, aligned for the converter's vector code: packed
// RV32 (libVLC converts to RGB) or the decoder's own planar I420 (a shader converts it). Shared
// between the frame sink that lends it to the decoder and the surface that shows it. A size beyond
// the bound, or memory the system refuses, leaves the buffer without bytes.
class VideoBuffer
{
public:
    enum class Layout { Rgb32, I420 };
    static constexpr int bytesPerPixel = 4; // Rgb32
    // The largest picture side accepted: what a stream announces beyond it is broken or hostile.
    static constexpr int maxSide = 8192;
    static constexpr int maxPlanes = 3;

    // fullRange: planar samples use 0-255 rather than the studio range (16-235, 16-240).
    explicit VideoBuffer(QSize size, Layout layout = Layout::Rgb32, bool fullRange = false)
        : m_size(isAcceptable(size) ? size : QSize()), m_layout(layout), m_fullRange(fullRange)
    {
        if (m_size.isEmpty())
            return;
        size_t total = 0;
        for (int i = 0; i < planeCount(); ++i) {
            const QSize samples = planeSize(i);
            m_pitches[size_t(i)] = samples.width() * (layout == Layout::Rgb32 ? bytesPerPixel : 1);
            m_offsets[size_t(i)] = total;
            total += roundedUp(size_t(m_pitches[size_t(i)]) * size_t(samples.height()));
        }
        // Not cleared: the player writes the whole picture before it is displayed.
        m_bytes = static_cast<uchar *>(std::aligned_alloc(alignment, total));
    }
    ~VideoBuffer() { std::free(m_bytes); }
    VideoBuffer(const VideoBuffer &) = delete;
    VideoBuffer &operator=(const VideoBuffer &) = delete;

    static bool isAcceptable(QSize size)
    {
        return size.width() > 0 && size.height() > 0 && size.width() <= maxSide && size.height() <= maxSide;
    }
    // False when the size was refused or the memory could not be had.
    bool isValid() const { return m_bytes != nullptr; }
    uchar *bytes() const { return m_bytes; }
    QSize size() const { return m_size; }
    Layout layout() const { return m_layout; }
    bool isFullRange() const { return m_fullRange; }
    int planeCount() const { return m_layout == Layout::Rgb32 ? 1 : 3; }
    // Samples across and down one plane: the chroma planes of I420 have half of each, rounded up.
    QSize planeSize(int plane) const
    {
        if (plane == 0)
            return m_size;
        return QSize((m_size.width() + 1) / 2, (m_size.height() + 1) / 2);
    }
    uchar *plane(int plane) const { return m_bytes ? m_bytes + m_offsets[size_t(plane)] : nullptr; }
    int pitch(int plane = 0) const { return m_pitches[size_t(plane)]; }

private:
    static constexpr size_t alignment = 64;
    static size_t roundedUp(size_t bytes) { return (bytes + alignment - 1) / alignment * alignment; }

    QSize m_size;
    Layout m_layout;
    bool m_fullRange;
    std::array<int, maxPlanes> m_pitches{};
    std::array<size_t, maxPlanes> m_offsets{};
    uchar *m_bytes = nullptr;
};
