#pragma once

#include <QImage>
#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <QCoroTask>

class QQmlComponent;

// Shows the image of a URL through the shared ImageCache, stretched to the item's size; the
// placeholder shows while there is none (no URL, loading, or a failure). A new URL drops the answer
// still awaited for the old one.
class RemoteImage : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString urlString READ urlString WRITE setUrlString NOTIFY urlStringChanged FINAL)
    // Created as a child filling the item while hasImage is false.
    Q_PROPERTY(QQmlComponent *placeholder READ placeholder WRITE setPlaceholder NOTIFY placeholderChanged FINAL)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged FINAL)

public:
    explicit RemoteImage(QQuickItem *parent = nullptr);
    ~RemoteImage() override;

    QString urlString() const { return m_urlString; }
    void setUrlString(const QString &urlString);
    QQmlComponent *placeholder() const { return m_placeholder; }
    void setPlaceholder(QQmlComponent *placeholder);
    bool hasImage() const { return !m_image.isNull(); }
    const QImage &image() const { return m_image; }

Q_SIGNALS:
    void urlStringChanged();
    void placeholderChanged();
    void hasImageChanged();

protected:
    void componentComplete() override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *) override;

private:
    void reload();
    QCoro::Task<> load(QString url, quint64 generation);
    void setImage(const QImage &image);
    void updatePlaceholder();

    QString m_urlString;
    QPointer<QQmlComponent> m_placeholder;
    QPointer<QQuickItem> m_placeholderItem;
    QImage m_image;
    bool m_imageDirty = false;
    // Raised by every new load; an answer that comes back for an older one is dropped.
    quint64 m_generation = 0;
};
