#pragma once

#include <QList>
#include <QString>
#include <memory>

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

// Serves a sample MPEG-TS file under "/media/held/<file name>" (register before serveSampleMedia)
// the way a live channel's data comes: as far as its video's time reaches the first of the given
// times (seconds from the stream's start), then nothing more until release(), which sends on up to
// the next time, and after the last one the rest.
class HeldMedia
{
public:
    HeldMedia(SampleProvider &provider, QList<double> holdSeconds);
    ~HeldMedia();
    QString url(const QString &fileName) const;
    void release();

private:
    struct Connection;
    SampleProvider &m_provider;
    std::shared_ptr<QList<std::shared_ptr<Connection>>> m_connections;
};

} // namespace norvane::test
