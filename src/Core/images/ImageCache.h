#pragma once

#include "images/ImageMemoryCache.h"

#include <QCoroTask>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <chrono>
#include <optional>

class QJSEngine;
class QNetworkAccessManager;
class QQmlEngine;

// Posters, logos and stills: decoded thumbnails in memory for the life of the process, the
// downloaded bytes on disk ("NorvaneImages") across launches. One instance (shared()); main thread.
class ImageCache : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    // What the memory level holds now (the pixels' bytes, and images).
    Q_PROPERTY(qint64 memoryCost READ memoryCost NOTIFY memoryChanged FINAL)
    Q_PROPERTY(int memoryCount READ memoryCount NOTIFY memoryChanged FINAL)

public:
    static constexpr int maxMemoryEntries = 400;
    static constexpr qint64 maxMemoryCost = 128 * 1024 * 1024;
    static constexpr int thumbnailSide = 600;
    // Sources beyond this are refused before decoding (a 8000 x 6000 photo still passes).
    static constexpr qint64 maxSourcePixels = 48'000'000;
    // Bodies beyond this are not images we can use; the download is cut off there.
    static constexpr qint64 maxBodyBytes = 32 * 1024 * 1024;
    static constexpr std::chrono::milliseconds defaultTimeout{60'000};

    // A cache over the given folder; network null uses a manager of its own.
    explicit ImageCache(const QString &diskDir, QNetworkAccessManager *network = nullptr,
                        QObject *parent = nullptr);

    static ImageCache *shared();
    static ImageCache *create(QQmlEngine *, QJSEngine *);
    // "NorvaneImages" in the user's cache folder.
    static QString defaultDiskDir();

    const QString &diskDir() const { return m_diskDir; }
    QString diskPath(const QString &url) const;
    // The file name of a URL: its Base64 with "/" as "_" and "+" as "-"; a name longer than 180
    // characters keeps 116 of them and ends in the SHA-256 of the URL, so long URLs never collide.
    static QString diskFileName(const QString &url);

    // The bytes as a thumbnail of at most 600 px on the longer side, orientation applied; smaller
    // images keep their size. None for anything that is not a whole, reasonably sized image.
    static std::optional<QImage> decode(const QByteArray &bytes);

    // An absolute http or https address with a host: the only ones fetched.
    static bool isWebAddress(const QString &url);

    // The image of the URL from disk, else downloaded (and then kept on disk when it decodes).
    // Does not look at the memory level. None at once for anything but a web address.
    QCoro::Task<std::optional<QImage>> fetch(QString url);

    std::optional<QImage> cached(const QString &url) { return m_memory.find(url); }
    void remember(const QString &url, const QImage &image);
    qint64 memoryCost() const { return m_memory.totalCost(); }
    int memoryCount() const { return m_memory.count(); }

    std::chrono::milliseconds requestTimeout() const { return m_timeout; }
    void setRequestTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

Q_SIGNALS:
    void memoryChanged();

private:
    QCoro::Task<std::optional<QByteArray>> download(QString url);

    QString m_diskDir;
    QPointer<QNetworkAccessManager> m_network;
    ImageMemoryCache m_memory{maxMemoryEntries, maxMemoryCost};
    std::chrono::milliseconds m_timeout = defaultTimeout;
};
