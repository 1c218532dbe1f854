#pragma once

#include <QSize>
#include <QtGlobal>
#include <algorithm>
#include <cstdlib>

// One decoded RV32 picture's memory with its layout, aligned for the converter's vector code.
// Shared between the frame sink that lends it to the decoder and the surface that shows it.
// A size beyond the bound, or memory the system refuses, leaves the buffer without bytes.
class VideoBuffer
{
public:
    static constexpr int bytesPerPixel = 4;
    // The largest picture side accepted: what a stream announces beyond it is broken or hostile.
    static constexpr int maxSide = 8192;

    explicit VideoBuffer(QSize size)
        : m_size(isAcceptable(size) ? size : QSize()), m_pitch(m_size.width() * bytesPerPixel),
          m_bytes(m_size.isEmpty()
                      ? nullptr
                      : static_cast<uchar *>(std::aligned_alloc(alignment, roundedUp(byteCount()))))
    {
        // Not cleared: the player writes the whole picture before it is displayed.
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
    int pitch() const { return m_pitch; }

private:
    static constexpr size_t alignment = 64;
    static size_t roundedUp(size_t bytes) { return (bytes + alignment - 1) / alignment * alignment; }
    size_t byteCount() const { return size_t(m_pitch) * size_t(std::max(0, m_size.height())); }

    QSize m_size;
    int m_pitch;
    uchar *m_bytes;
};
