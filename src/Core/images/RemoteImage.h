#pragma once

#include <QCoroTask>
#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>

class QQmlComponent;

// Shows the image of a URL through the shared ImageCache, stretched to the item's size, cropped
// to fill it or fitted inside it with its proportions, optionally inside rounded corners; the
// placeholder shows while there is none (no URL, loading, or a failure). A new URL drops the
// answer still awaited for the old one. A URL that gave nothing is tried again when the item is
// shown again or is given the same URL again.
class RemoteImage : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString urlString READ urlString WRITE setUrlString NOTIFY urlStringChanged FINAL)
    // Created as a child filling the item while hasImage is false.
    Q_PROPERTY(
        QQmlComponent *placeholder READ placeholder WRITE setPlaceholder NOTIFY placeholderChanged FINAL)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged FINAL)
    Q_PROPERTY(FillMode fillMode READ fillMode WRITE setFillMode NOTIFY fillModeChanged FINAL)
    // Corner radius of the picture; the corners outside it stay transparent.
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged FINAL)

public:
    enum FillMode { Stretch, PreserveAspectCrop, PreserveAspectFit };
    Q_ENUM(FillMode)

    explicit RemoteImage(QQuickItem *parent = nullptr);
    ~RemoteImage() override;

    QString urlString() const { return m_urlString; }
    void setUrlString(const QString &urlString);
    QQmlComponent *placeholder() const { return m_placeholder; }
    void setPlaceholder(QQmlComponent *placeholder);
    bool hasImage() const { return !m_image.isNull(); }
    FillMode fillMode() const { return m_fillMode; }
    void setFillMode(FillMode mode);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    // The part of an image of `imageSize` shown in an item of `itemSize`: all of it when
    // stretched, the centred part of the item's proportions when cropped.
    static QRectF sourceRect(QSize imageSize, QSizeF itemSize, FillMode mode);
    // Where in the item the picture is drawn: all of it, except when fitted, where it is the
    // centred rectangle of the image's proportions.
    static QRectF targetRect(QSize imageSize, QSizeF itemSize, FillMode mode);
    const QImage &image() const { return m_image; }

Q_SIGNALS:
    void urlStringChanged();
    void placeholderChanged();
    void hasImageChanged();
    void fillModeChanged();
    void radiusChanged();

protected:
    void componentComplete() override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) override;

private:
    void reload();
    void retryIfFailed();
    QCoro::Task<> load(QString url, quint64 generation);
    void setImage(const QImage &image);
    void updatePlaceholder();
    void repaintPicture();
    QImage roundedPicture(QSize pixelSize) const;

    QString m_urlString;
    QPointer<QQmlComponent> m_placeholder;
    QPointer<QQuickItem> m_placeholderItem;
    QImage m_image;
    bool m_imageDirty = false;
    FillMode m_fillMode = Stretch;
    qreal m_radius = 0;
    // Pixel size of the rounded picture the node's texture was made for.
    QSize m_texturePixelSize;
    // Raised by every new load; an answer that comes back for an older one is dropped.
    quint64 m_generation = 0;
    // The last load of the current URL ended without an image.
    bool m_failed = false;
};
