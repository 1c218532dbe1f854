#pragma once

#include "playback/PictureGeometry.h"
#include "playback/VideoBuffer.h"

#include <QMutex>
#include <QSize>
#include <functional>
#include <memory>
#include <vector>

class VideoSurface;

// The memory one libVLC player decodes into, in the layout its surface takes (packed RGB or planar
// YUV, see VideoSurface::frameLayout). Each player has a sink of its own, so a player that
// is being let go of (its stop may take as long as a stalled network read) keeps writing into
// buffers of its own while the next player already draws on the surface. The player decodes
// straight into the sink's buffers (no copy); a displayed buffer is handed to the surface while the
// sink is attached. A buffer goes back to the pool once neither the player, the surface nor a
// texture holds it, so the decoder never writes into a picture that is on screen.
//
// A picture larger than the bound, or memory the system refuses, fails the item (`failed`) rather
// than the process: the format is refused, and a decoder that still asks for a buffer gets a spare
// one whose pictures are never shown.
class VideoFrameSink
{
public:
    // geometry: the picture's size and pixel shape as the player describes them (unknown while the
    // stream has not told, and after a change of shape possibly still the previous picture's, which
    // is dropped when it does not fit the decoder's size), asked on the player's thread when the
    // format is set up; it must not call into the player, which may be being stopped on another
    // thread. failed: called on the player's threads.
    explicit VideoFrameSink(VideoSurface *surface, std::function<PictureGeometry()> geometry = {},
                            std::function<void()> failed = {});
    ~VideoFrameSink();
    VideoFrameSink(const VideoFrameSink &) = delete;
    VideoFrameSink &operator=(const VideoFrameSink &) = delete;

    // From now on the player's pictures reach no surface (the surface may go). The player may still
    // use its buffers until it is released; the sink must live until then.
    void detach();
    bool isAttached() const;

    // The player's video callbacks, on its decoder and output threads.
    unsigned setupFormat(char *chroma, unsigned *width, unsigned *height, unsigned *pitches, unsigned *lines);
    void cleanupFormat();
    void *lockFrame(void **planes);
    void unlockFrame(void *picture);
    void displayFrame(void *picture);

    // How many buffers the player may hold at once (the pool keeps two more for the screen).
    static constexpr unsigned playerBufferCount = 3;

    // The largest picture side accepted (tests lower it); set before the player starts.
    void setMaxSide(int side) { m_maxSide = side; }

private:
    // Null when no buffer can be had.
    std::shared_ptr<VideoBuffer> takeFreeBufferLocked();
    unsigned refuseFormat();

    mutable QMutex m_mutex;
    // Guarded by m_mutex. Pictures go to the surface under the lock, so once detach() returns
    // no thread is inside the surface any more.
    VideoSurface *m_surface;
    const std::function<PictureGeometry()> m_geometry;
    const std::function<void()> m_failed;
    int m_maxSide;
    std::vector<std::shared_ptr<VideoBuffer>> m_pool;
    // Lent to the decoder when the pool cannot grow; never shown.
    std::shared_ptr<VideoBuffer> m_spare;
    std::vector<std::shared_ptr<VideoBuffer>> m_heldByPlayer;
    QSize m_bufferSize;
    VideoBuffer::Layout m_layout = VideoBuffer::Layout::Rgb32;
    bool m_fullRange = false;
    size_t m_nextInPool = 0;
};
