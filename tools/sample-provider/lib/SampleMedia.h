#pragma once

#include <QString>
#include <QStringList>

// Real, playable media for the sample provider, the playback tests and the frame-path benchmarks.
// Everything is made with ffmpeg on first use into a cache folder outside the repository
// ($NORVANE_SAMPLE_MEDIA_DIR, else ~/.cache/norvane-sample-media) and reused afterwards.
// A lock file keeps parallel test programs from making the same file twice; files appear
// under their final name only once complete.
//
// Every accessor blocks while it makes a missing file (seconds on first use), then returns the
// absolute path, or an empty text when ffmpeg is missing or failed (see lastError()).
class SampleMedia
{
public:
    enum class Kind {
        LiveTs,           // 30 s, 640x360 25 fps moving test pattern, 440 Hz tone, MPEG-TS
        LivePlaylist,     // the same as HLS: a VOD-type m3u8 with 4-second TS segments beside it
        MovieWithTracks,  // 60 s MP4 (faststart): audio "spa" and "eng", mov_text subtitles "spa"
        MoviePlain,       // 60 s MP4 (faststart), one audio track
        Episode,          // 30 s MP4 (faststart), one audio track
        EpisodeTruncated, // the episode cut to about half its bytes: announces 30 s, ends early
        Clip720p,         // 10 s 1280x720 25 fps MP4
        Clip1080p,        // 10 s 1920x1080 25 fps MP4
        // 10 s 720x576 with pixels 64:45 wide (16:9 SD broadcast), red with a blue band over the
        // top 64 rows, no sound: as MP4 (the shape known when the stream opens) and as MPEG-TS
        // (known only once the decoder has read it).
        ClipAnamorphic,
        ClipAnamorphicTs,
        // An SD channel that changes shape twice, no sound, MPEG-TS: 2 s of 720x576 with 64:45
        // pixels (16:9) in red, 2 s of 720x576 with 16:15 pixels (4:3) in green (lime), then 2 s of
        // 1920x1080 with square pixels (16:9) in blue. Each part starts with a keyframe.
        ClipShapeChanges,
    };

    static QString directory();
    static QString path(Kind kind);
    // Makes every file (the first run of a test program calls this once).
    static bool ensureAll();
    // The HLS segment files beside LivePlaylist, in playlist order (absolute paths).
    static QStringList liveSegments();
    static bool ffmpegAvailable();
    static QString lastError();

    // Durations in seconds, for tests that check what was made.
    static constexpr int liveSeconds = 30;
    static constexpr int movieSeconds = 60;
    static constexpr int episodeSeconds = 30;
    static constexpr int clipSeconds = 10;
    static constexpr int shapePartSeconds = 2;

private:
    static QString madeLocked(Kind kind);
    static bool make(Kind kind, const QString &target);
    static QString fileName(Kind kind);
};
