#include "LivePlaylist.h"

#include <cmath>

QList<LivePlaylist::Segment> LivePlaylist::segmentsOf(const QByteArray &playlist)
{
    QList<Segment> segments;
    double pending = -1;
    for (const QByteArray &raw : playlist.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("#EXTINF:")) {
            const QByteArray value = line.mid(8).split(',').value(0);
            bool ok = false;
            pending = value.toDouble(&ok);
            if (!ok)
                pending = -1;
        } else if (!line.isEmpty() && !line.startsWith('#')) {
            if (pending > 0)
                segments.append({line, pending});
            pending = -1;
        }
    }
    return segments;
}

QByteArray LivePlaylist::render(const QList<Segment> &segments, const QByteArray &uriPrefix, qint64 nowMs,
                                int windowSize)
{
    if (segments.isEmpty() || windowSize < 1)
        return {};
    qint64 cycleMs = 0;
    double longest = 0;
    for (const Segment &segment : segments) {
        cycleMs += qint64(segment.seconds * 1000);
        longest = std::max(longest, segment.seconds);
    }
    if (cycleMs <= 0)
        return {};
    const qint64 count = segments.size();
    // The segment being "broadcast" now: n counts segments since 1970 across loops.
    const qint64 cycle = nowMs / cycleMs;
    qint64 offset = nowMs % cycleMs;
    qint64 index = 0;
    while (index < count - 1 && offset >= qint64(segments[index].seconds * 1000)) {
        offset -= qint64(segments[index].seconds * 1000);
        ++index;
    }
    const qint64 newest = cycle * count + index;
    const qint64 oldest = std::max<qint64>(0, newest - windowSize + 1);

    QByteArray out = "#EXTM3U\n#EXT-X-VERSION:3\n";
    out += "#EXT-X-TARGETDURATION:" + QByteArray::number(qint64(std::ceil(longest))) + '\n';
    out += "#EXT-X-MEDIA-SEQUENCE:" + QByteArray::number(oldest) + '\n';
    // One discontinuity per loop start already dropped from the window.
    out += "#EXT-X-DISCONTINUITY-SEQUENCE:" + QByteArray::number(oldest / count) + '\n';
    for (qint64 n = oldest; n <= newest; ++n) {
        const Segment &segment = segments[n % count];
        if (n % count == 0 && n != oldest)
            out += "#EXT-X-DISCONTINUITY\n";
        out += "#EXTINF:" + QByteArray::number(segment.seconds, 'f', 3) + ",\n";
        out += uriPrefix + segment.uri + '\n';
    }
    return out;
}
