#include "SampleMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>

namespace {

// Bump when a recipe changes, so caches made by an older recipe are not reused.
constexpr auto recipeVersion = "v1";
constexpr auto hlsFolder = "live-hls";
constexpr auto hlsPlaylist = "index.m3u8";

QMutex &mediaMutex()
{
    static QMutex mutex;
    return mutex;
}

QString &lastErrorText()
{
    static QString text;
    return text;
}

QStringList testPattern(int width, int height, int seconds)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc2=size=%1x%2:rate=25:duration=%3").arg(width).arg(height).arg(seconds)};
}

QStringList tone(int frequency, int seconds)
{
    return {QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=%1:sample_rate=48000:duration=%2").arg(frequency).arg(seconds)};
}

// H.264 with a keyframe every 2 s (HLS cuts and seeks land on them), AAC audio.
QStringList encoders()
{
    return {QStringLiteral("-c:v"),      QStringLiteral("libx264"), QStringLiteral("-preset"),
            QStringLiteral("ultrafast"), QStringLiteral("-g"),      QStringLiteral("50"),
            QStringLiteral("-pix_fmt"),  QStringLiteral("yuv420p"), QStringLiteral("-c:a"),
            QStringLiteral("aac"),       QStringLiteral("-b:a"),    QStringLiteral("64k")};
}

QStringList faststart()
{
    return {QStringLiteral("-movflags"), QStringLiteral("+faststart")};
}

bool runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                             QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y")} +
                     arguments);
    if (!ffmpeg.waitForStarted()) {
        lastErrorText() = QStringLiteral("ffmpeg could not be started");
        return false;
    }
    ffmpeg.waitForFinished(-1);
    if (ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        lastErrorText() =
            QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(ffmpeg.readAll()).trimmed();
        return false;
    }
    return true;
}

// Subtitles for the movie with tracks: a line every five seconds, with Spanish letters.
QByteArray subtitleScript(int seconds)
{
    QByteArray srt;
    int index = 1;
    for (int start = 1; start + 3 < seconds; start += 5, ++index) {
        const auto stamp = [](int s) {
            return QStringLiteral("00:%1:%2,000")
                .arg(s / 60, 2, 10, QLatin1Char('0'))
                .arg(s % 60, 2, 10, QLatin1Char('0'));
        };
        srt += QByteArray::number(index) + '\n';
        srt += (stamp(start) + QStringLiteral(" --> ") + stamp(start + 3)).toUtf8() + '\n';
        srt += QStringLiteral("Subtítulo %1: el niño añoró la canción.").arg(index).toUtf8() + "\n\n";
    }
    return srt;
}

// Each part encoded on its own (a new stream description at each change, as a broadcaster's
// encoder sends), its times following on from the part before, the parts joined byte by byte.
bool makeShapeChanges(const QString &target)
{
    struct Part
    {
        const char *colour;
        const char *size;
        const char *pixelShape;
    };
    const Part parts[] = {
        {"red", "720x576", "64/45"}, {"lime", "720x576", "16/15"}, {"blue", "1920x1080", "1"}};
    QFile joined(target);
    if (!joined.open(QIODevice::WriteOnly)) {
        lastErrorText() = QStringLiteral("cannot write ") + target;
        return false;
    }
    const int seconds = SampleMedia::shapePartSeconds;
    for (int i = 0; i < 3; ++i) {
        const QString piece = target + QStringLiteral(".part");
        const bool made =
            runFfmpeg(QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                  QStringLiteral("color=c=%1:size=%2:rate=25:duration=%3")
                                      .arg(QLatin1String(parts[i].colour), QLatin1String(parts[i].size))
                                      .arg(seconds),
                                  QStringLiteral("-vf"),
                                  QStringLiteral("setsar=") + QLatin1String(parts[i].pixelShape)} +
                      encoders() +
                      QStringList{QStringLiteral("-output_ts_offset"), QString::number(i * seconds),
                                  QStringLiteral("-f"), QStringLiteral("mpegts"), piece});
        QFile file(piece);
        const bool appended =
            made && file.open(QIODevice::ReadOnly) && joined.write(file.readAll()) == file.size();
        file.remove();
        if (!appended)
            return false;
    }
    return true;
}

} // namespace

QString SampleMedia::directory()
{
    const QString fromEnv = qEnvironmentVariable("NORVANE_SAMPLE_MEDIA_DIR");
    QString base = fromEnv;
    if (base.isEmpty()) {
        const QString xdgCache = qEnvironmentVariable("XDG_CACHE_HOME");
        base = (xdgCache.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : xdgCache) +
               QStringLiteral("/norvane-sample-media");
    }
    return QDir(base).absoluteFilePath(QString::fromLatin1(recipeVersion));
}

QString SampleMedia::fileName(Kind kind)
{
    switch (kind) {
    case Kind::LiveTs:
        return QStringLiteral("live.ts");
    case Kind::LivePlaylist:
        return QString::fromLatin1(hlsFolder) + '/' + QString::fromLatin1(hlsPlaylist);
    case Kind::MovieWithTracks:
        return QStringLiteral("movie-tracks.mp4");
    case Kind::MoviePlain:
        return QStringLiteral("movie-plain.mp4");
    case Kind::Episode:
        return QStringLiteral("episode.mp4");
    case Kind::EpisodeTruncated:
        return QStringLiteral("episode-truncated.mp4");
    case Kind::Clip720p:
        return QStringLiteral("clip-720p.mp4");
    case Kind::Clip1080p:
        return QStringLiteral("clip-1080p.mp4");
    case Kind::ClipAnamorphic:
        return QStringLiteral("clip-anamorphic.mp4");
    case Kind::ClipAnamorphicTs:
        return QStringLiteral("clip-anamorphic.ts");
    case Kind::ClipShapeChanges:
        return QStringLiteral("clip-shape-changes.ts");
    }
    return {};
}

bool SampleMedia::ffmpegAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty();
}

QString SampleMedia::lastError()
{
    QMutexLocker locker(&mediaMutex());
    return lastErrorText();
}

QString SampleMedia::path(Kind kind)
{
    const QString dir = directory();
    const QString target = QDir(dir).absoluteFilePath(fileName(kind));
    if (QFileInfo::exists(target))
        return target;

    QMutexLocker locker(&mediaMutex());
    if (!QDir().mkpath(dir)) {
        lastErrorText() = QStringLiteral("cannot create ") + dir;
        return {};
    }
    // Other processes (parallel test programs) may be making the same file.
    QLockFile lock(QDir(dir).absoluteFilePath(QStringLiteral(".lock")));
    lock.setStaleLockTime(0);
    if (!lock.lock()) {
        lastErrorText() = QStringLiteral("cannot lock ") + dir;
        return {};
    }
    return madeLocked(kind);
}

// Called with the mutex and the folder lock held.
QString SampleMedia::madeLocked(Kind kind)
{
    const QString target = QDir(directory()).absoluteFilePath(fileName(kind));
    if (QFileInfo::exists(target))
        return target;
    if (!ffmpegAvailable()) {
        lastErrorText() = QStringLiteral("ffmpeg is not installed");
        return {};
    }
    return make(kind, target) ? target : QString();
}

bool SampleMedia::ensureAll()
{
    for (Kind kind : {Kind::LiveTs, Kind::LivePlaylist, Kind::MovieWithTracks, Kind::MoviePlain,
                      Kind::Episode, Kind::EpisodeTruncated, Kind::Clip720p, Kind::Clip1080p,
                      Kind::ClipAnamorphic, Kind::ClipAnamorphicTs, Kind::ClipShapeChanges}) {
        if (path(kind).isEmpty())
            return false;
    }
    return true;
}

QStringList SampleMedia::liveSegments()
{
    const QString playlist = path(Kind::LivePlaylist);
    if (playlist.isEmpty())
        return {};
    QFile file(playlist);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList segments;
    const QDir folder = QFileInfo(playlist).absoluteDir();
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QByteArray entry = line.trimmed();
        if (!entry.isEmpty() && !entry.startsWith('#'))
            segments.append(folder.absoluteFilePath(QString::fromUtf8(entry)));
    }
    return segments;
}

// Called with the mutex and the folder lock held. Writes under a temporary name, then renames.
bool SampleMedia::make(Kind kind, const QString &target)
{
    const QFileInfo info(target);
    const QString partial = info.absolutePath() + QStringLiteral("/partial-") + info.fileName();
    QFile::remove(partial);
    bool ok = false;
    switch (kind) {
    case Kind::LiveTs:
        ok = runFfmpeg(testPattern(640, 360, liveSeconds) + tone(440, liveSeconds) + encoders() +
                       QStringList{QStringLiteral("-f"), QStringLiteral("mpegts"), partial});
        break;
    case Kind::LivePlaylist: {
        const QString source = madeLocked(Kind::LiveTs);
        if (source.isEmpty())
            return false;
        const QString finalFolder = info.absolutePath();
        QDir partialFolder(finalFolder + QStringLiteral(".partial"));
        partialFolder.removeRecursively();
        QDir().mkpath(partialFolder.absolutePath());
        ok = runFfmpeg({QStringLiteral("-i"), source, QStringLiteral("-c"), QStringLiteral("copy"),
                        QStringLiteral("-f"), QStringLiteral("hls"), QStringLiteral("-hls_time"),
                        QStringLiteral("4"), QStringLiteral("-hls_playlist_type"), QStringLiteral("vod"),
                        QStringLiteral("-hls_segment_filename"),
                        partialFolder.absoluteFilePath(QStringLiteral("seg%03d.ts")),
                        partialFolder.absoluteFilePath(QString::fromLatin1(hlsPlaylist))});
        if (!ok)
            return false;
        QDir(finalFolder).removeRecursively();
        return QDir().rename(partialFolder.absolutePath(), finalFolder);
    }
    case Kind::MovieWithTracks: {
        const QString srtPath = info.absolutePath() + QStringLiteral("/subtitles-spa.srt");
        QFile srt(srtPath);
        if (!srt.open(QIODevice::WriteOnly) || srt.write(subtitleScript(movieSeconds)) < 0)
            return false;
        srt.close();
        ok = runFfmpeg(
            testPattern(640, 360, movieSeconds) + tone(440, movieSeconds) + tone(660, movieSeconds) +
            QStringList{QStringLiteral("-i"), srtPath, QStringLiteral("-map"), QStringLiteral("0:v"),
                        QStringLiteral("-map"), QStringLiteral("1:a"), QStringLiteral("-map"),
                        QStringLiteral("2:a"), QStringLiteral("-map"), QStringLiteral("3:s")} +
            encoders() +
            QStringList{QStringLiteral("-c:s"), QStringLiteral("mov_text"), QStringLiteral("-metadata:s:a:0"),
                        QStringLiteral("language=spa"), QStringLiteral("-metadata:s:a:0"),
                        QStringLiteral("title=Español"), QStringLiteral("-metadata:s:a:1"),
                        QStringLiteral("language=eng"), QStringLiteral("-metadata:s:a:1"),
                        QStringLiteral("title=English"), QStringLiteral("-metadata:s:s:0"),
                        QStringLiteral("language=spa")} +
            faststart() + QStringList{partial});
        break;
    }
    case Kind::MoviePlain:
        ok = runFfmpeg(testPattern(640, 360, movieSeconds) + tone(523, movieSeconds) + encoders() +
                       faststart() + QStringList{partial});
        break;
    case Kind::Episode:
        ok = runFfmpeg(testPattern(640, 360, episodeSeconds) + tone(330, episodeSeconds) + encoders() +
                       faststart() + QStringList{partial});
        break;
    case Kind::EpisodeTruncated: {
        const QString whole = madeLocked(Kind::Episode);
        if (whole.isEmpty())
            return false;
        QFile source(whole);
        QFile cut(partial);
        if (!source.open(QIODevice::ReadOnly) || !cut.open(QIODevice::WriteOnly)) {
            lastErrorText() = QStringLiteral("cannot copy the episode");
            return false;
        }
        // The index (moov, at the front) still announces the whole length; the data stops halfway.
        ok = cut.write(source.read(source.size() / 2)) > 0;
        cut.close();
        break;
    }
    case Kind::Clip720p:
        ok = runFfmpeg(testPattern(1280, 720, clipSeconds) + tone(440, clipSeconds) + encoders() +
                       faststart() + QStringList{partial});
        break;
    case Kind::Clip1080p:
        ok = runFfmpeg(testPattern(1920, 1080, clipSeconds) + tone(440, clipSeconds) + encoders() +
                       faststart() + QStringList{partial});
        break;
    case Kind::ClipAnamorphic:
        ok = runFfmpeg(
            QStringList{QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                        QStringLiteral("color=c=red:size=720x576:rate=25:duration=%1").arg(clipSeconds),
                        QStringLiteral("-vf"),
                        QStringLiteral("drawbox=x=0:y=0:w=720:h=64:color=blue:t=fill,setsar=64/45")} +
            encoders() + faststart() + QStringList{partial});
        break;
    case Kind::ClipAnamorphicTs: {
        const QString source = madeLocked(Kind::ClipAnamorphic);
        if (source.isEmpty())
            return false;
        ok = runFfmpeg({QStringLiteral("-i"), source, QStringLiteral("-c"), QStringLiteral("copy"),
                        QStringLiteral("-f"), QStringLiteral("mpegts"), partial});
        break;
    }
    case Kind::ClipShapeChanges:
        ok = makeShapeChanges(partial);
        break;
    }
    if (!ok) {
        QFile::remove(partial);
        return false;
    }
    QFile::remove(target);
    return QFile::rename(partial, target);
}
