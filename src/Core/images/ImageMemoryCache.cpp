#include "images/ImageMemoryCache.h"

#include <QMutexLocker>

ImageMemoryCache::ImageMemoryCache(int maxEntries, qint64 maxCostBytes)
    : m_images(maxCostBytes), m_maxEntries(maxEntries)
{
}

std::optional<QImage> ImageMemoryCache::find(const QString &url)
{
    QMutexLocker lock(&m_mutex);
    const QImage *image = m_images.object(url); // also marks it as recently used
    if (!image) {
        forget(url);
        return std::nullopt;
    }
    touch(url);
    return *image;
}

void ImageMemoryCache::insert(const QString &url, const QImage &image)
{
    QMutexLocker lock(&m_mutex);
    if (!m_images.insert(url, new QImage(image), costOf(image))) {
        forget(url);
        return;
    }
    touch(url);
    trimToMaxEntries();
}

qint64 ImageMemoryCache::totalCost() const
{
    QMutexLocker lock(&m_mutex);
    return m_images.totalCost();
}

int ImageMemoryCache::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_images.count());
}

qint64 ImageMemoryCache::maxCost() const
{
    QMutexLocker lock(&m_mutex);
    return m_images.maxCost();
}

void ImageMemoryCache::touch(const QString &url)
{
    forget(url);
    m_recency.push_front(url);
    m_positions.insert(url, m_recency.begin());
}

void ImageMemoryCache::forget(const QString &url)
{
    const auto it = m_positions.find(url);
    if (it == m_positions.end())
        return;
    m_recency.erase(it.value());
    m_positions.erase(it);
}

void ImageMemoryCache::trimToMaxEntries()
{
    while (m_images.count() > m_maxEntries && !m_recency.empty()) {
        const QString oldest = m_recency.back();
        m_images.remove(oldest);
        forget(oldest);
    }
    // Keys that QCache dropped for cost stay in the list until they reach its end: keep it bounded.
    if (m_recency.size() > size_t(2 * m_maxEntries)) {
        for (auto it = m_recency.begin(); it != m_recency.end();) {
            if (m_images.contains(*it)) {
                ++it;
            } else {
                m_positions.remove(*it);
                it = m_recency.erase(it);
            }
        }
    }
}
