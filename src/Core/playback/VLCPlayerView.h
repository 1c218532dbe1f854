#pragma once

#include <QColor>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class VideoSurface;

// Where a screen wants the engine's video. Creating or showing a view makes it the one that shows
// the picture; any other view draws only its background. The picture fits inside the item
// (letterbox) or fills it (cropped) as the engine's fillScreen says, and follows the item's size.
class VLCPlayerView : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged FINAL)
    Q_PROPERTY(bool showsVideo READ showsVideo NOTIFY showsVideoChanged FINAL)
public:
    explicit VLCPlayerView(QQuickItem *parent = nullptr);
    ~VLCPlayerView() override;

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // True while this view is the one that shows the picture.
    bool showsVideo() const;

    // Takes the picture into this view (done on creation and whenever the view is shown).
    Q_INVOKABLE void attach();

    // Where a picture of the given size goes inside an item of the given size, and which part of
    // the picture is drawn there: all of it letterboxed (fit), or the centre cropped (fill). The
    // picture is drawn in its true proportions: pixelAspect is the width over the height of one
    // of its pixels (above 1 for anamorphic wide-screen).
    struct Placement
    {
        QRectF target;
        QRectF source;
    };
    static Placement place(const QSizeF &item, const QRectF &picture, bool fill, double pixelAspect = 1.0);

Q_SIGNALS:
    void colorChanged();
    void showsVideoChanged();

protected:
    void componentComplete() override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) override;

private:
    VideoSurface *surface() const;

    QColor m_color = Qt::black;
    quint64 m_shownSerial = 0;
    bool m_wasHost = false;
};
