#pragma once

#include <QString>

class SampleProvider;

namespace norvane::test {

// Serves the sample media files on a provider under "/media/<file name>" (the HLS playlist and
// its segments under "/media/live-hls/"). "/media/live-hls/live.m3u8" is the same playlist
// without its end marker, the way a live channel's playlist looks; "/media/endless/<file>"
// announces no length (a live channel); "/media/cut/<file>" announces the whole file, sends a tenth
// of it and drops the connection. Anything else under /media answers 404.
void serveSampleMedia(SampleProvider &provider);

// The address of one served file, e.g. mediaUrl(provider, "movie-plain.mp4").
QString mediaUrl(const SampleProvider &provider, const QString &fileName);

} // namespace norvane::test
