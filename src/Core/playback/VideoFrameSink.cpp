#include "playback/VideoFrameSink.h"

#include "playback/VideoBuffer.h"
#include "playback/VideoSurface.h"

#include <QMutexLocker>
#include <algorithm>
#include <cstring>

VideoFrameSink::VideoFrameSink(VideoSurface *surface, std::function<PictureGeometry()> geometry,
                               std::function<void()> failed)
    : m_surface(surface), m_geometry(std::move(geometry)), m_failed(std::move(failed)),
      m_maxSide(VideoBuffer::maxSide)
{
}

VideoFrameSink::~VideoFrameSink() = default;

void VideoFrameSink::detach()
{
    QMutexLocker lock(&m_mutex);
    m_surface = nullptr;
}

bool VideoFrameSink::isAttached() const
{
    QMutexLocker lock(&m_mutex);
    return m_surface != nullptr;
}

unsigned VideoFrameSink::setupFormat(char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                                     unsigned *lines)
{
    // The surface's layout was fixed on the main thread when it was made; reading it is safe here.
    const VideoBuffer::Layout layout = [this] {
        QMutexLocker lock(&m_mutex);
        return m_surface ? m_surface->frameLayout() : VideoBuffer::Layout::Rgb32;
    }();
    // Planar pictures stay in the decoder's own chroma, so libVLC converts nothing: its full-range
    // pictures come as "J420", which the shader reads as such (asked for "I420", libVLC would squeeze
    // them into the studio range on the CPU).
    const bool fullRange = layout == VideoBuffer::Layout::I420 && std::memcmp(chroma, "J420", 4) == 0;
    std::memcpy(chroma, layout == VideoBuffer::Layout::Rgb32 ? "RV32" : fullRange ? "J420" : "I420", 4);
    // The decoder offers its padded size (1920x1090 for 1080p), and libVLC scales the whole picture
    // into whatever size it is given: taken as it is, on every frame, bicubic, which costs more than
    // decoding. Asked for the picture's own size, libVLC only converts the chroma. That size is
    // taken only when it fits the decoder's: after a change of shape mid-stream libVLC may still
    // describe the previous picture, and 1080p asked for at a stale 720x576 would be shrunk.
    const QSize decoded{int(*width), int(*height)};
    PictureGeometry geometry = m_geometry ? m_geometry() : PictureGeometry();
    if (geometry.fitsDecoderSize(decoded)) {
        *width = unsigned(geometry.size.width());
        *height = unsigned(geometry.size.height());
    } else {
        geometry = {}; // the surface learns the picture's shape later, from the main thread
    }
    if (*width == 0 || *height == 0 || *width > unsigned(m_maxSide) || *height > unsigned(m_maxSide))
        return refuseFormat();
    const QSize size{int(*width), int(*height)};
    // Made now, so that a size the system cannot give fails here rather than in the decoder.
    auto spare = std::make_shared<VideoBuffer>(size, layout, fullRange);
    if (!spare->isValid())
        return refuseFormat();
    QMutexLocker lock(&m_mutex);
    m_bufferSize = size;
    m_layout = layout;
    m_fullRange = fullRange;
    for (int plane = 0; plane < spare->planeCount(); ++plane) {
        pitches[plane] = unsigned(spare->pitch(plane));
        lines[plane] = unsigned(spare->planeSize(plane).height());
    }
    // Buffers of an earlier format stay alive while an image still uses them, then go.
    m_pool.clear();
    m_heldByPlayer.clear();
    m_spare = std::move(spare);
    m_nextInPool = 0;
    // Buffers are made as the player first asks for them: libVLC offers hardware formats first
    // and drops them again before a single picture, and a buffer of 8 MB is dear to touch.
    if (m_surface)
        m_surface->formatChanged(decoded, geometry);
    return playerBufferCount;
}

unsigned VideoFrameSink::refuseFormat()
{
    if (m_failed)
        m_failed();
    return 0; // libVLC makes no video output
}

void VideoFrameSink::cleanupFormat()
{
    QMutexLocker lock(&m_mutex);
    m_pool.clear();
    m_heldByPlayer.clear();
    m_spare.reset();
}

std::shared_ptr<VideoBuffer> VideoFrameSink::takeFreeBufferLocked()
{
    // Round robin, so a buffer that has just come back is the last to be written again.
    for (size_t tried = 0; tried < m_pool.size(); ++tried) {
        const size_t i = (m_nextInPool + tried) % m_pool.size();
        // Held only by the pool: not the newest picture, not in the player, not in a texture.
        // Nobody else can take a new hold on it meanwhile, so the count cannot grow behind our back.
        if (m_pool[i].use_count() == 1) {
            m_nextInPool = (i + 1) % m_pool.size();
            return m_pool[i];
        }
    }
    // Every buffer is busy (the first pictures, or a slow screen): grow the pool rather than overwrite a
    // shown picture.
    auto extra = std::make_shared<VideoBuffer>(m_bufferSize, m_layout, m_fullRange);
    if (!extra->isValid())
        return nullptr;
    m_pool.push_back(extra);
    return extra;
}

void *VideoFrameSink::lockFrame(void **planes)
{
    QMutexLocker lock(&m_mutex);
    std::shared_ptr<VideoBuffer> buffer = takeFreeBufferLocked();
    const bool outOfMemory = !buffer;
    if (outOfMemory)
        buffer = m_spare; // decoded, never shown (displayFrame knows only the pool)
    m_heldByPlayer.push_back(buffer);
    for (int plane = 0; plane < buffer->planeCount(); ++plane)
        planes[plane] = buffer->plane(plane);
    lock.unlock();
    if (outOfMemory && m_failed)
        m_failed();
    return buffer.get();
}

void VideoFrameSink::unlockFrame(void *picture)
{
    QMutexLocker lock(&m_mutex);
    auto it = std::find_if(m_heldByPlayer.begin(), m_heldByPlayer.end(),
                           [picture](const auto &b) { return b.get() == picture; });
    if (it != m_heldByPlayer.end())
        m_heldByPlayer.erase(it);
}

void VideoFrameSink::displayFrame(void *picture)
{
    QMutexLocker lock(&m_mutex);
    if (!m_surface)
        return; // a player being let go of: its pictures are nobody's any more
    auto it =
        std::find_if(m_pool.begin(), m_pool.end(), [picture](const auto &b) { return b.get() == picture; });
    if (it == m_pool.end())
        return; // a picture of a format that has been replaced
    m_surface->present(*it);
}
