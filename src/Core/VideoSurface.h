#pragma once

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
#include <vector>

class VLCPlayerView;

// The engine's one picture. The player converts each picture to RV32 straight into the surface's
// buffers at the picture's own size (no scaling, no copy); the newest displayed buffer is lent,
// still without a copy, to the view that hosts the surface, which makes its texture from it. A
// buffer goes back to the pool once neither the player nor a texture holds it, so the decoder
// never writes into a picture that is on screen.
//
// The host is the view that attached last among those that still exist; the others draw only
// their background.
class VideoSurface : public QObject
{
    Q_OBJECT
public:
    // A displayed picture: the decoded buffer as an image (shared, not copied) and the part of it
    // that is the picture (the decoder pads the buffer).
    struct Frame
    {
        QImage image;
        QRect visible;
        quint64 serial = 0;
        bool isNull() const { return image.isNull(); }
    };

    explicit VideoSurface(QObject *parent = nullptr);
    ~VideoSurface() override;

    // Main thread.
    void attach(VLCPlayerView *view);
    VLCPlayerView *host() const;
    bool fillScreen() const { return m_fillScreen; }
    void setFillScreen(bool fill);
    // Drops the picture on screen (nothing plays, or a new item starts).
    void clear();
    // The picture's visible size (the player's video size). Asked on the player's thread when the
    // format is set up, so that libVLC delivers the picture at that size, and, when it did not know
    // it yet, on the main thread once frames arrive; until it answers, the whole (padded) buffer is
    // shown. Set before playback starts; the source must be callable from any thread.
    void setVisibleSizeSource(std::function<QSize()> source) { m_visibleSizeSource = std::move(source); }
    quint64 displayedFrames() const;

    // Any thread (the scene graph's render thread while the main thread waits for it).
    Frame currentFrame() const;

    // The player's video callbacks, on its decoder and output threads.
    unsigned setupFormat(char *chroma, unsigned *width, unsigned *height, unsigned *pitches, unsigned *lines);
    void cleanupFormat();
    void *lockFrame(void **planes);
    void unlockFrame(void *picture);
    void displayFrame(void *picture);

    // How many buffers the player may hold at once (the pool keeps two more for the screen).
    static constexpr unsigned playerBufferCount = 3;

Q_SIGNALS:
    void hostChanged();
    // Main thread, at most once per pass of the event loop however many frames came meanwhile.
    void frameDisplayed();

private:
    struct Buffer;
    std::shared_ptr<Buffer> takeFreeBufferLocked();
    void deliverFrame();
    void updateHosts(VLCPlayerView *previous);

    mutable QMutex m_mutex;
    // Guarded by m_mutex.
    std::vector<std::shared_ptr<Buffer>> m_pool;
    std::vector<std::shared_ptr<Buffer>> m_heldByPlayer;
    std::shared_ptr<Buffer> m_latest;
    QSize m_bufferSize;
    int m_pitch = 0;
    QSize m_visibleSize;
    size_t m_nextInPool = 0;
    quint64 m_serial = 0;
    quint64 m_formatGeneration = 0;

    std::atomic_bool m_deliveryPending{false};
    std::atomic<quint64> m_displayed{0};

    // Main thread.
    QList<QPointer<VLCPlayerView>> m_views;
    bool m_fillScreen = false;
    std::function<QSize()> m_visibleSizeSource;
    quint64 m_visibleSizeGeneration = 0;
};
