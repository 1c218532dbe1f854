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

class VLCPlayerView;
class VideoBuffer;

// The engine's one picture. The current player's frame sink (VideoFrameSink) hands over each
// displayed buffer; the newest is lent, without a copy, to the view that hosts the surface, which
// makes its texture from it.
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
    // Asked on the main thread for the picture's visible size once frames arrive (the player's
    // video size); until it answers, the whole buffer is shown.
    void setVisibleSizeSource(std::function<QSize()> source) { m_visibleSizeSource = std::move(source); }
    quint64 displayedFrames() const;

    // Any thread (the scene graph's render thread while the main thread waits for it).
    Frame currentFrame() const;

    // From the attached frame sink, on the player's threads: the decoder's format changed (the
    // picture on screen is of the old one), and a decoded picture is to be shown.
    void formatChanged();
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
    QSize m_visibleSize;
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
