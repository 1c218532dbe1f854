#pragma once

#include <QByteArray>
#include <QCoroTask>
#include <QString>
#include <optional>

// The last good body of one whole catalog ("vod_all.json" or "series_all.json") in the catalog
// cache folder, and the preference "size_<file>" that remembers its length so the next download
// can show a fraction. The bodies are tens of megabytes: they are read and written off the main
// thread.
class CatalogDiskCopy
{
public:
    // Far beyond any real catalog; a bigger file is treated as unreadable.
    static constexpr qint64 maxBytes = qint64(1) << 30;

    explicit CatalogDiskCopy(QString fileName);

    const QString &fileName() const { return m_fileName; }
    QString path() const;
    QString sizeKey() const { return QLatin1String("size_") + m_fileName; }

    // The remembered body length, 0 when never stored.
    qint64 expectedSize() const;
    void rememberSize(qint64 bytes) const;

    // Seconds since the copy was written; none when there is no copy or no date.
    std::optional<double> age() const;
    // True when the copy is older than `maxAgeSeconds`, has no date, or is dated in the future (a
    // clock that was set back would otherwise keep it fresh for good; refreshing rewrites its date).
    bool isOld(double maxAgeSeconds) const;

    // The whole body (with room for the JSON parser's padding); none when missing or unreadable.
    QCoro::Task<std::optional<QByteArray>> read() const;
    // Replaces the copy atomically, owner-only. False when nothing was written.
    QCoro::Task<bool> write(QByteArray body) const;

private:
    QString m_fileName;
};
