#include "playback/VideoSurface.h"

#include "playback/VLCPlayerView.h"
#include "playback/VideoBuffer.h"

#include <QMutexLocker>
#include <QQuickWindow>

VideoSurface::VideoSurface(QObject *parent) : QObject(parent) {}

VideoBuffer::Layout VideoSurface::layoutFor(QQuickWindow *window)
{
    // The window's own answer: the process-wide one still says OpenGL where Qt Quick has fallen
    // back to its software renderer for want of it.
    const QSGRendererInterface *renderer = window ? window->rendererInterface() : nullptr;
    return renderer && renderer->graphicsApi() == QSGRendererInterface::OpenGL ? VideoBuffer::Layout::I420
                                                                               : VideoBuffer::Layout::Rgb32;
}

void VideoSurface::useSceneGraphOf(QQuickWindow *window)
{
    if (m_layoutChosen || !window)
        return;
    m_layoutChosen = true;
    m_layout = layoutFor(window);
}

void VideoSurface::setFrameLayout(VideoBuffer::Layout layout)
{
    m_layoutChosen = true;
    m_layout = layout;
}

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
    if (!m_latest || m_latest->size().isEmpty() || !m_latest->bytes())
        return {};
    const QSize size = m_latest->size();
    const QRect whole(QPoint(0, 0), size);
    const double pixelAspect = m_geometry.pixelAspectIn(size);
    if (m_latest->layout() == VideoBuffer::Layout::I420) {
        // The planes go to the view as they are; its node holds them until they are uploaded.
        return {QImage(), m_latest, whole, pixelAspect, m_serial};
    }
    // The image keeps the buffer out of its sink's pool for as long as it (or a texture made from
    // it) lives; the decoder then writes into another buffer.
    auto *keeper = new std::shared_ptr<VideoBuffer>(m_latest);
    QImage image(
        m_latest->bytes(), size.width(), size.height(), m_latest->pitch(), QImage::Format_RGB32,
        [](void *info) { delete static_cast<std::shared_ptr<VideoBuffer> *>(info); }, keeper);
    return {image, {}, whole, pixelAspect, m_serial};
}

void VideoSurface::formatChanged(QSize decoded, const PictureGeometry &geometry)
{
    QMutexLocker lock(&m_mutex);
    m_latest.reset();
    m_geometry = geometry;
    m_decodedSize = decoded;
    ++m_formatGeneration;
}

void VideoSurface::present(std::shared_ptr<VideoBuffer> picture)
{
    {
        QMutexLocker lock(&m_mutex);
        m_latest = std::move(picture);
        ++m_serial;
    }
    m_displayed.fetch_add(1, std::memory_order_relaxed);
    if (!m_deliveryPending.exchange(true))
        QMetaObject::invokeMethod(this, &VideoSurface::deliverFrame, Qt::QueuedConnection);
}

void VideoSurface::deliverFrame()
{
    m_deliveryPending = false;
    if (m_geometrySource) {
        quint64 generation = 0;
        QSize decoded;
        {
            QMutexLocker lock(&m_mutex);
            generation = m_formatGeneration;
            decoded = m_decodedSize;
        }
        // Asked outside the lock, which the player waits for with every picture.
        const PictureGeometry geometry = m_geometrySource();
        if (geometry.fitsDecoderSize(decoded)) {
            QMutexLocker lock(&m_mutex);
            if (m_formatGeneration == generation)
                m_geometry = geometry;
        }
    }
    if (VLCPlayerView *view = host())
        view->update();
    Q_EMIT frameDisplayed();
}
