#pragma once

#include "playback/PictureGeometry.h"
#include "playback/VideoBuffer.h"

#include <QImage>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <atomic>
#include <functional>
#include <memory>

class QQuickWindow;
class VLCPlayerView;

// The engine's one picture. The current player's frame sink (VideoFrameSink) hands over each
// displayed buffer; the newest is lent, without a copy, to the view that hosts the surface, which
// makes its texture from it.
//
// The pictures' layout is chosen once, from the scene graph of the first window a view shows it in:
// with OpenGL the decoder's planar YUV (I420), which the view uploads as three textures and converts
// in a shader; with the software scene graph (or before any window) packed RGB, which libVLC
// converts on the CPU.
//
// The host is the view that attached last among those that still exist; the others draw only
// their background.
class VideoSurface : public QObject
{
    Q_OBJECT
public:
    // A displayed picture: the decoded buffer as an image (shared, not copied) or, in the planar
    // layout, the buffer itself; the part of it that is the picture (libVLC scales the whole
    // picture into the buffer, so all of it), and the width over height of one of its pixels.
    struct Frame
    {
        QImage image;
        std::shared_ptr<const VideoBuffer> planes;
        QRect visible;
        double pixelAspect = 1.0;
        quint64 serial = 0;
        bool isNull() const { return image.isNull() && !planes; }
    };

    explicit VideoSurface(QObject *parent = nullptr);
    ~VideoSurface() override;

    // Planar where the window's scene graph converts YUV in a shader (OpenGL), else RGB.
    static VideoBuffer::Layout layoutFor(QQuickWindow *window);
    // Main thread: a view is in this window; the first one decides the layout.
    void useSceneGraphOf(QQuickWindow *window);
    // Any thread; read by the frame sink when the player sets its format up.
    VideoBuffer::Layout frameLayout() const { return m_layout.load(std::memory_order_relaxed); }
    // Tests render both layouts in one process; applies from the player's next format set-up.
    void setFrameLayout(VideoBuffer::Layout layout);

    // Main thread.
    void attach(VLCPlayerView *view);
    VLCPlayerView *host() const;
    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill);
    // Drops the picture on screen (nothing plays, or a new item starts).
    void clear();
    // Asked on the main thread as frames arrive for the picture's shape (the player's video
    // geometry): libVLC may learn a new shape only some frames after the decoder switched to it, so
    // the answer is taken whenever it fits the decoder's size. Until one fits, the buffer is shown
    // with square pixels.
    void setGeometrySource(std::function<PictureGeometry()> source) { m_geometrySource = std::move(source); }
    quint64 displayedFrames() const;

    // Any thread (the scene graph's render thread while the main thread waits for it).
    Frame currentFrame() const;

    // From the attached frame sink, on the player's threads: the decoder's format changed (the
    // picture on screen is of the old one; the decoder's padded size, and the new picture's shape
    // when already known), and a decoded picture is to be shown.
    void formatChanged(QSize decoded, const PictureGeometry &geometry = {});
    void present(std::shared_ptr<VideoBuffer> picture);

Q_SIGNALS:
    void hostChanged();
    // Main thread, at most once per pass of the event loop however many frames came meanwhile.
    void frameDisplayed();

private:
    void deliverFrame();
    void updateHosts(VLCPlayerView *previous);

    mutable QMutex m_mutex;
    // Guarded by m_mutex.
    std::shared_ptr<VideoBuffer> m_latest;
    PictureGeometry m_geometry;
    QSize m_decodedSize;
    quint64 m_serial = 0;
    quint64 m_formatGeneration = 0;

    std::atomic<VideoBuffer::Layout> m_layout{VideoBuffer::Layout::Rgb32};
    std::atomic_bool m_deliveryPending{false};
    std::atomic<quint64> m_displayed{0};

    // Main thread.
    QList<QPointer<VLCPlayerView>> m_views;
    bool m_fillScreen = false;
    bool m_layoutChosen = false;
    std::function<PictureGeometry()> m_geometrySource;
};
