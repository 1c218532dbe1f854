#pragma once

#include <QByteArray>
#include <QList>

// Turns the on-disk HLS recording (a VOD playlist of a few segments) into a live channel that
// never ends: a sliding window over the segments played in a loop, positioned by the wall clock,
// with a discontinuity each time the loop starts over. Players then treat it as live (no length)
// and keep reloading it, as they do with a real channel.
class LivePlaylist
{
public:
    struct Segment
    {
        QByteArray uri;
        double seconds = 0;
    };

    // Reads the segments of a media playlist (EXTINF durations and URIs).
    static QList<Segment> segmentsOf(const QByteArray &playlist);

    // The live playlist at `nowMs` (milliseconds since 1970); each URI gets `uriPrefix` in front.
    // An empty segment list gives an empty body.
    static QByteArray render(const QList<Segment> &segments, const QByteArray &uriPrefix, qint64 nowMs,
                             int windowSize = 5);
};
