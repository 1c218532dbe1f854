#include "VideoSurface.h"

#include "VLCPlayerView.h"

#include <QMutexLocker>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int bytesPerPixel = 4;
constexpr size_t bufferAlignment = 64;
} // namespace

// One decoded picture's memory, aligned for the converter's vector code. Not cleared: the player
// writes the whole picture before it is displayed.
struct VideoSurface::Buffer
{
    explicit Buffer(size_t size)
        : bytes(static_cast<uchar *>(std::aligned_alloc(bufferAlignment,
                                                        (size + bufferAlignment - 1) / bufferAlignment *
                                                            bufferAlignment)))
    {
    }
    ~Buffer() { std::free(bytes); }
    Buffer(const Buffer &) = delete;
    Buffer &operator=(const Buffer &) = delete;

    uchar *bytes;
};

VideoSurface::VideoSurface(QObject *parent) : QObject(parent) {}

VideoSurface::~VideoSurface() = default;

void VideoSurface::attach(VLCPlayerView *view)
{
    if (!view)
        return;
    VLCPlayerView *previous = host();
    if (previous == view)
        return; // already showing the picture: nothing moves, nothing flickers
    const bool known = m_views.contains(view);
    m_views.removeIf([view](const QPointer<VLCPlayerView> &v) { return v.isNull() || v == view; });
    m_views.append(view);
    if (!known) {
        // When the host goes, the view that attached before it (if still there) shows the picture.
        connect(view, &QObject::destroyed, this, [this] {
            m_views.removeIf([](const QPointer<VLCPlayerView> &v) { return v.isNull(); });
            updateHosts(nullptr);
        });
    }
    updateHosts(previous);
}

VLCPlayerView *VideoSurface::host() const
{
    for (auto it = m_views.crbegin(); it != m_views.crend(); ++it)
        if (*it)
            return it->data();
    return nullptr;
}

void VideoSurface::updateHosts(VLCPlayerView *previous)
{
    if (previous)
        previous->update();
    if (VLCPlayerView *now = host())
        now->update();
    Q_EMIT hostChanged();
}

void VideoSurface::setFillScreen(bool fill)
{
    m_fillScreen = fill;
    if (VLCPlayerView *view = host())
        view->update();
}

void VideoSurface::clear()
{
    {
        QMutexLocker lock(&m_mutex);
        m_latest.reset();
        ++m_serial;
    }
    if (VLCPlayerView *view = host())
        view->update();
}

quint64 VideoSurface::displayedFrames() const
{
    return m_displayed.load(std::memory_order_relaxed);
}

VideoSurface::Frame VideoSurface::currentFrame() const
{
    QMutexLocker lock(&m_mutex);
    if (!m_latest || m_bufferSize.isEmpty())
        return {};
    // The image keeps the buffer out of the pool for as long as it (or a texture made from it)
    // lives; the decoder then writes into another buffer.
    auto *keeper = new std::shared_ptr<Buffer>(m_latest);
    QImage image(m_latest->bytes, m_bufferSize.width(), m_bufferSize.height(), m_pitch, QImage::Format_RGB32,
                 [](void *info) { delete static_cast<std::shared_ptr<Buffer> *>(info); }, keeper);
    QSize visible = m_visibleSize.isEmpty() ? m_bufferSize : m_visibleSize.boundedTo(m_bufferSize);
    return {image, QRect(QPoint(0, 0), visible), m_serial};
}

unsigned VideoSurface::setupFormat(char *chroma, unsigned *width, unsigned *height, unsigned *pitches,
                                   unsigned *lines)
{
    std::memcpy(chroma, "RV32", 4);
    // The decoder offers its padded size (1920x1090 for 1080p). Taken as it is, libVLC scales the
    // picture into it, bicubic, on every frame, which costs more than decoding and stretches the
    // picture. Asked for the picture's own size, libVLC only converts the chroma.
    const QSize visible = m_visibleSizeSource ? m_visibleSizeSource() : QSize();
    const bool fits = !visible.isEmpty() && unsigned(visible.width()) <= *width && unsigned(visible.height()) <= *height;
    if (fits) {
        *width = unsigned(visible.width());
        *height = unsigned(visible.height());
    }
    QMutexLocker lock(&m_mutex);
    m_bufferSize = QSize(int(*width), int(*height));
    m_pitch = int(*width) * bytesPerPixel;
    pitches[0] = unsigned(m_pitch);
    lines[0] = *height;
    // Buffers of an earlier format stay alive while an image still uses them, then go.
    m_pool.clear();
    m_heldByPlayer.clear();
    m_latest.reset();
    m_visibleSize = fits ? visible : QSize();
    m_nextInPool = 0;
    ++m_formatGeneration;
    if (fits)
        m_visibleSizeGeneration = m_formatGeneration;
    // Buffers are made as the player first asks for them: libVLC offers hardware formats first
    // and drops them again before a single picture, and a buffer of 8 MB is dear to touch.
    return playerBufferCount;
}

void VideoSurface::cleanupFormat()
{
    QMutexLocker lock(&m_mutex);
    m_pool.clear();
    m_heldByPlayer.clear();
}

std::shared_ptr<VideoSurface::Buffer> VideoSurface::takeFreeBufferLocked()
{
    // Round robin, so a buffer that has just come back is the last to be written again.
    for (size_t tried = 0; tried < m_pool.size(); ++tried) {
        const size_t i = (m_nextInPool + tried) % m_pool.size();
        // Held only by the pool: not the newest picture, not in the player, not in a texture.
        if (m_pool[i].use_count() == 1) {
            m_nextInPool = (i + 1) % m_pool.size();
            return m_pool[i];
        }
    }
    // Every buffer is busy (the first pictures, or a slow screen): grow the pool rather than
    // overwrite a shown picture.
    auto extra = std::make_shared<Buffer>(size_t(m_pitch) * size_t(m_bufferSize.height()));
    m_pool.push_back(extra);
    return extra;
}

void *VideoSurface::lockFrame(void **planes)
{
    QMutexLocker lock(&m_mutex);
    std::shared_ptr<Buffer> buffer = takeFreeBufferLocked();
    m_heldByPlayer.push_back(buffer);
    planes[0] = buffer->bytes;
    return buffer.get();
}

void VideoSurface::unlockFrame(void *picture)
{
    QMutexLocker lock(&m_mutex);
    auto it = std::find_if(m_heldByPlayer.begin(), m_heldByPlayer.end(),
                           [picture](const auto &b) { return b.get() == picture; });
    if (it != m_heldByPlayer.end())
        m_heldByPlayer.erase(it);
}

void VideoSurface::displayFrame(void *picture)
{
    {
        QMutexLocker lock(&m_mutex);
        auto it = std::find_if(m_pool.begin(), m_pool.end(), [picture](const auto &b) { return b.get() == picture; });
        if (it == m_pool.end())
            return; // a picture of a format that has been replaced
        m_latest = *it;
        ++m_serial;
    }
    m_displayed.fetch_add(1, std::memory_order_relaxed);
    if (!m_deliveryPending.exchange(true))
        QMetaObject::invokeMethod(this, &VideoSurface::deliverFrame, Qt::QueuedConnection);
}

void VideoSurface::deliverFrame()
{
    m_deliveryPending = false;
    bool needVisibleSize = false;
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        generation = m_formatGeneration;
        needVisibleSize = m_visibleSize.isEmpty() && m_visibleSizeGeneration != generation;
    }
    if (needVisibleSize && m_visibleSizeSource) {
        const QSize visible = m_visibleSizeSource();
        if (!visible.isEmpty()) {
            QMutexLocker lock(&m_mutex);
            if (m_formatGeneration == generation) {
                m_visibleSize = visible;
                m_visibleSizeGeneration = generation;
            }
        }
    }
    if (VLCPlayerView *view = host())
        view->update();
    Q_EMIT frameDisplayed();
}
