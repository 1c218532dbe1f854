#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QString>
#include <list>
#include <optional>

// Decoded images by URL, bounded both by total cost (the bytes their pixels take) and by entry
// count; the least recently used entry goes first when either limit is passed. Safe from any thread.
class ImageMemoryCache
{
public:
    ImageMemoryCache(int maxEntries, qint64 maxCostBytes);

    std::optional<QImage> find(const QString &url);
    // An image that alone costs more than the whole cache is not kept.
    void insert(const QString &url, const QImage &image);

    // What the pixels really take: a 16-bit PNG decodes to 8 bytes a pixel, a grey one to 1, and
    // rows are padded; counting 4 a pixel let deep images take twice the bound.
    static qint64 costOf(const QImage &image) { return image.sizeInBytes(); }

    qint64 totalCost() const;
    int count() const;
    int maxEntries() const { return m_maxEntries; }
    qint64 maxCost() const;

private:
    void touch(const QString &url);
    void forget(const QString &url);
    void trimToMaxEntries();

    mutable QMutex m_mutex;
    // Evicts by cost on its own; the recency list mirrors its order so the count can be capped too.
    QCache<QString, QImage> m_images;
    std::list<QString> m_recency; // most recent first; may hold keys QCache already evicted
    QHash<QString, std::list<QString>::iterator> m_positions;
    int m_maxEntries;
};
