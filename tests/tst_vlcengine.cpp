#include "MediaRoutes.h"
#include "Patience.h"
#include "SampleCatalog.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "ScriptedPlayer.h"
#include "StallMeter.h"
#include "TestMain.h"
#include "TestProvider.h"
#include "playback/LibVlcPlayer.h"
#include "playback/PlayerRetirer.h"
#include "playback/VLCEngine.h"
#include "playback/VideoSurface.h"
#include "system/LogRedaction.h"
#include "system/Logging.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QScopeGuard>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <dlfcn.h>
#include <thread>
#include <unistd.h>
#include <vlc/vlc.h>

using norvane::test::mediaUrl;
using norvane::test::ScriptedEngine;
using norvane::test::StallMeter;
using namespace std::chrono_literals;
using Status = VLCEngine::Status;

namespace {

QList<Track> tracks(std::initializer_list<std::pair<int, const char *>> list)
{
    QList<Track> result;
    for (const auto &[id, name] : list)
        result.append(Track(id, QString::fromUtf8(name)));
    return result;
}

// Everything written to stderr while the action runs.
QByteArray captureStderr(const std::function<void()> &action)
{
    QTemporaryFile file;
    if (!file.open())
        return {};
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file.handle(), STDERR_FILENO);
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    file.seek(0);
    return file.readAll();
}

// The lines of the category norvane.vlc (from any thread) while recordVlcLines is installed, kept
// out of the output; the others go on to the handler before.
QMutex vlcLinesMutex;
QStringList vlcLines;
QtMessageHandler nextHandler = nullptr;
void recordVlcLines(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (qstrcmp(context.category, "norvane.vlc") != 0)
        return nextHandler(type, context, text);
    QMutexLocker lock(&vlcLinesMutex);
    vlcLines.append(text);
}

// Statuses the engine went through, recorded as they were observed.
struct StatusLog
{
    explicit StatusLog(VLCEngine *engine)
    {
        QObject::connect(engine, &VLCEngine::statusChanged, &context,
                         [this, engine] { seen.append(engine->status()); });
    }
    bool reached(Status status) const { return seen.contains(status); }
    QObject context;
    QList<Status> seen;
};

constexpr int playbackTimeoutMs = norvane::test::patience(10'000);

std::thread::id mainThread;
std::atomic_int sizeAskedOffMainThread{0};
// The player last told a subtitle track, so that a test can ask libVLC which tracks it took.
std::atomic<libvlc_media_player_t *> spuPlayer{nullptr};

} // namespace

// libVLC's own function, wrapped to count the calls made on libVLC's threads: such a call reads a
// player that a background stop may be tearing down at the same moment.
extern "C" int libvlc_video_get_size(libvlc_media_player_t *player, unsigned num, unsigned *width,
                                     unsigned *height)
{
    using Real = int (*)(libvlc_media_player_t *, unsigned, unsigned *, unsigned *);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "libvlc_video_get_size"));
    if (std::this_thread::get_id() != mainThread)
        ++sizeAskedOffMainThread;
    return real(player, num, width, height);
}

extern "C" int libvlc_video_set_spu(libvlc_media_player_t *player, int track)
{
    using Real = int (*)(libvlc_media_player_t *, int);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "libvlc_video_set_spu"));
    spuPlayer = player;
    return real(player, track);
}

// The engine's rules over a scripted player: options, status table, tracks, play and its guards.
class TestVLCEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        mainThread = std::this_thread::get_id();
        // The engines remember the volume in the settings file: this program's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QVERIFY(norvane::test::startPlaybackProvider(m_provider));
        norvane::test::serveSampleMedia(m_provider);
    }

    void cleanup() { VLCEngine::shared()->stop(); }

    void libraryOptions_data()
    {
        QTest::addColumn<QVariant>("extra");
        QTest::addColumn<QStringList>("appended");
        QTest::newRow("unset") << QVariant() << QStringList();
        QTest::newRow("one") << QVariant(QStringLiteral("--aout=adummy")) << QStringList{"--aout=adummy"};
        QTest::newRow("two commas between") << QVariant(QStringLiteral("--aout=adummy,,--vout=dummy"))
                                            << QStringList{"--aout=adummy", "--vout=dummy"};
        QTest::newRow("blanks kept, edges dropped")
            << QVariant(QStringLiteral(",--a, --b ,")) << QStringList{"--a", " --b "};
    }
    void libraryOptions()
    {
        QFETCH(QVariant, extra);
        QFETCH(QStringList, appended);
        const std::optional<QString> value =
            extra.isValid() ? std::optional<QString>(extra.toString()) : std::nullopt;
        const QStringList fixed{"--network-caching=3000", "--no-drop-late-frames", "--no-skip-frames",
                                "--audio-time-stretch"};
        QCOMPARE(VLCEngine::libraryOptions(value), fixed + appended);
    }

    void statusTable_data()
    {
        QTest::addColumn<bool>("isPlaying");
        QTest::addColumn<int>("state");
        QTest::addColumn<Status>("current");
        QTest::addColumn<Status>("expected");
        QTest::newRow("buffering") << false << 2 << Status::Opening << Status::Buffering;
        QTest::newRow("buffering while paused") << false << 2 << Status::Paused << Status::Paused;
        QTest::newRow("ended") << false << 3 << Status::Playing << Status::Ended;
        QTest::newRow("playing state alone keeps status")
            << false << 5 << Status::Buffering << Status::Buffering;
        QTest::newRow("paused") << false << 6 << Status::Playing << Status::Paused;
        QTest::newRow("stream added keeps status") << false << 7 << Status::Opening << Status::Opening;
        QTest::newRow("unknown keeps status") << false << 42 << Status::Paused << Status::Paused;
        QTest::newRow("isPlaying beats buffering") << true << 2 << Status::Opening << Status::Playing;
        QTest::newRow("isPlaying beats ended") << true << 3 << Status::Playing << Status::Playing;
        QTest::newRow("isPlaying with stream added") << true << 7 << Status::Buffering << Status::Playing;
    }
    void statusTable()
    {
        QFETCH(bool, isPlaying);
        QFETCH(int, state);
        QFETCH(Status, current);
        QFETCH(Status, expected);
        QCOMPARE(VLCEngine::statusFor(isPlaying, state, current), expected);
    }

    void simplify_data()
    {
        QTest::addColumn<QVariantList>("names");
        QTest::addColumn<QVariantList>("indexes");
        QTest::addColumn<QList<Track>>("expected");
        QTest::newRow("spanish twice and english")
            << QVariantList{"Disable", "Spanish", "Español Latino", "English"} << QVariantList{-1, 3, 5, 8}
            << tracks({{3, "Español"}, {5, "Español 2"}, {8, "Inglés"}});
        QTest::newRow("other language alone keeps its name")
            << QVariantList{"Disable", "Deutsch"} << QVariantList{-1, 2} << tracks({{2, "Deutsch"}});
        QTest::newRow("other language beside english is left out")
            << QVariantList{"Deutsch", "English"} << QVariantList{1, 2} << tracks({{2, "Inglés"}});
        QTest::newRow("castellano and latin are spanish")
            << QVariantList{"Castellano", "Latin"} << QVariantList{1, 2}
            << tracks({{1, "Español"}, {2, "Español 2"}});
        QTest::newRow("libVLC labels, upper case, accents")
            << QVariantList{"Track 1 - [Spanish]", "Track 2 - [English]", "INGLÉS (AD)", "ESP"}
            << QVariantList{1, 2, 3, 4}
            << tracks({{1, "Español"}, {2, "Inglés"}, {3, "Inglés 2"}, {4, "Español 2"}});
        QTest::newRow("unnamed and negative entries dropped")
            << QVariantList{QVariant(), "English", "Spanish"} << QVariantList{1, 2, -3}
            << tracks({{2, "Inglés"}});
        QTest::newRow("index that is not a number dropped")
            << QVariantList{"English", "Spanish"} << QVariantList{"2", 3} << tracks({{3, "Español"}});
        QTest::newRow("paired up to the shorter list")
            << QVariantList{"English", "Spanish", "Deutsch"} << QVariantList{4} << tracks({{4, "Inglés"}});
        QTest::newRow("only the no-track entry")
            << QVariantList{"Disable"} << QVariantList{-1} << QList<Track>();
        QTest::newRow("nothing") << QVariantList{} << QVariantList{} << QList<Track>();
    }
    void simplify()
    {
        QFETCH(QVariantList, names);
        QFETCH(QVariantList, indexes);
        QFETCH(QList<Track>, expected);
        QCOMPARE(VLCEngine::simplify(names, indexes), expected);
    }

    void playStartsFromWholeSecondsAndResets_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("from the start") << 0 << QStringList();
        QTest::newRow("below a second") << -5 << QStringList();
        QTest::newRow("one second") << 1 << QStringList{":start-time=1"};
        QTest::newRow("resume") << 754 << QStringList{":start-time=754"};
    }
    void playStartsFromWholeSecondsAndResets()
    {
        QFETCH(int, start);
        QFETCH(QStringList, options);
        ScriptedEngine s;
        s.player->audio = {{"English"}, {1}};
        s.player->length = 90'000;
        s.player->report(MediaPlayerBackend::Playing, true, 5000);
        s.settle();
        QCOMPARE(s.engine->status(), Status::Playing);
        QCOMPARE(s.engine->durationMs(), 90'000);
        QCOMPARE(s.engine->audioTracks().size(), 1);

        s.player->calls.clear();
        s.engine->play(QStringLiteral("http://127.0.0.1:1/movie/u/p/7.mp4"), start);
        QCOMPARE(s.player->calls, (QStringList{"stop", "setMedia", "play"}));
        QCOMPARE(s.player->url, QUrl("http://127.0.0.1:1/movie/u/p/7.mp4"));
        QCOMPARE(s.player->options, options);
        QCOMPARE(s.engine->status(), Status::Opening);
        QCOMPARE(s.engine->currentTimeMs(), 0);
        QCOMPARE(s.engine->durationMs(), 0);
        QVERIFY(s.engine->audioTracks().isEmpty());
        QVERIFY(s.engine->subtitleTracks().isEmpty());
        // The "stopped" of the media that was replaced does not count for the new one.
        s.settle();
        QCOMPARE(s.engine->status(), Status::Opening);
    }

    void unparsableAddressChangesNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << QString();
        QTest::newRow("blank inside") << QStringLiteral("http://exa mple.com/a.ts");
        QTest::newRow("broken host") << QStringLiteral("http://[::1/live.ts");
    }
    void unparsableAddressChangesNothing()
    {
        QFETCH(QString, address);
        ScriptedEngine s;
        s.player->audio = {{"Spanish"}, {1}};
        s.player->length = 60'000;
        s.player->report(MediaPlayerBackend::Playing, true, 1234);
        s.settle();
        s.player->calls.clear();
        QSignalSpy status(s.engine.get(), &VLCEngine::statusChanged);
        s.engine->play(address, 10);
        QVERIFY(s.player->calls.isEmpty());
        QCOMPARE(status.count(), 0);
        QCOMPARE(s.engine->status(), Status::Playing);
        QCOMPARE(s.engine->currentTimeMs(), 1234);
        QCOMPARE(s.engine->durationMs(), 60'000);
        QCOMPARE(s.engine->audioTracks(), tracks({{1, "Español"}}));
    }

    void tracksRebuiltOnlyWhenPlayingStarts()
    {
        ScriptedEngine s;
        s.player->audio = {{"Disable", "Spanish", "English"}, {-1, 1, 2}};
        s.player->subtitles = {{"Disable", "Spanish"}, {-1, 3}};
        s.player->report(MediaPlayerBackend::Buffering, false);
        s.settle();
        QVERIFY(s.engine->audioTracks().isEmpty());
        s.player->report(MediaPlayerBackend::Playing, true, 100);
        s.settle();
        QCOMPARE(s.engine->audioTracks(), tracks({{1, "Español"}, {2, "Inglés"}}));
        QCOMPARE(s.engine->subtitleTracks(), tracks({{3, "Español"}}));

        // New tracks while playing goes on are not picked up...
        s.player->audio = {{"Deutsch"}, {9}};
        s.player->report(MediaPlayerBackend::ElementaryStreamAdded, true, 600);
        s.settle();
        QCOMPARE(s.engine->audioTracks().size(), 2);
        // ...until playing starts again.
        s.player->report(MediaPlayerBackend::Paused, false, 700);
        s.settle();
        QCOMPARE(s.engine->status(), Status::Paused);
        s.player->report(MediaPlayerBackend::Playing, true, 800);
        s.settle();
        QCOMPARE(s.engine->audioTracks(), tracks({{9, "Deutsch"}}));
    }

    void observersHearRealChangesOnly()
    {
        ScriptedEngine s;
        QSignalSpy status(s.engine.get(), &VLCEngine::statusChanged);
        QSignalSpy time(s.engine.get(), &VLCEngine::currentTimeMsChanged);
        QSignalSpy duration(s.engine.get(), &VLCEngine::durationMsChanged);
        QSignalSpy audio(s.engine.get(), &VLCEngine::audioTracksChanged);
        s.player->audio = {{"English"}, {1}};
        s.player->length = 30'000;
        for (int i = 0; i < 3; ++i)
            s.player->report(MediaPlayerBackend::Playing, true, 500);
        s.settle();
        QCOMPARE(status.count(), 1);
        QCOMPARE(time.count(), 1);
        QCOMPARE(duration.count(), 1);
        QCOMPARE(audio.count(), 1);

        // An unknown length (live) keeps what is known.
        s.player->length = 0;
        s.player->report(MediaPlayerBackend::Playing, true, 900);
        s.settle();
        QCOMPARE(s.engine->durationMs(), 30'000);
        QCOMPARE(duration.count(), 1);
    }

    void volumeClamps_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("up at the top") << 100 << 5 << 100;
        QTest::newRow("down near the bottom") << 3 << -5 << 0;
        QTest::newRow("a step") << 50 << 5 << 55;
        QTest::newRow("above the range") << 250 << 0 << 100;
        QTest::newRow("below the range") << -1 << 0 << 0;
        QTest::newRow("huge steps") << 50 << std::numeric_limits<int>::min() << 0;
        QTest::newRow("huge steps up") << 50 << std::numeric_limits<int>::max() << 100;
    }
    void volumeClamps()
    {
        QFETCH(int, set);
        QFETCH(int, delta);
        QFETCH(int, expected);
        ScriptedEngine s;
        s.engine->setVolume(set);
        s.engine->changeVolume(delta);
        QCOMPARE(s.engine->volume(), expected);
        QCOMPARE(s.player->volume, expected);
    }

    // The level and the mute switch notify once per real change, reach a player whose audio output
    // appears only as its media starts (libVLC itself: volumeAndMuteReachLibVlc), and the next run
    // (another engine on the same settings) starts with them.
    void volumeAndMuteReachEveryStreamAndOutliveTheRun()
    {
        {
            ScriptedEngine s;
            s.engine->setVolume(VLCEngine::defaultVolume);
            s.engine->setMuted(false);
            QSignalSpy volumeChanged(s.engine.get(), &VLCEngine::volumeChanged);
            QSignalSpy mutedChanged(s.engine.get(), &VLCEngine::mutedChanged);
            s.engine->changeVolume(-5);
            s.engine->setVolume(95);
            s.engine->toggleMute();
            s.engine->setMuted(true);
            QCOMPARE(volumeChanged.count(), 1);
            QCOMPARE(mutedChanged.count(), 1);
            s.engine->play(QStringLiteral("http://host/b.mp4"));
            s.player->volume = s.player->muted = -1;
            s.player->report(MediaPlayerBackend::Playing, true);
            s.settle();
            QCOMPARE(s.player->volume, 95);
            QCOMPARE(s.player->muted, 1);
        }
        ScriptedEngine next;
        QCOMPARE(next.engine->volume(), 95);
        QVERIFY(next.engine->muted());
        QCOMPARE(next.player->volume, 95);
        QCOMPARE(next.player->muted, 1);
        const QString file = QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).fileName();
        QVERIFY(!(QFile::permissions(file) & (QFile::ReadGroup | QFile::ReadOther)));

        // A level that is not a number, or out of range, as a hand-edited file may hold.
        QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane"))
            .setValue(VLCEngine::volumeKey, QStringLiteral("loud"));
        QCOMPARE(ScriptedEngine().engine->volume(), VLCEngine::defaultVolume);
        QSettings(QStringLiteral("Norvane"), QStringLiteral("Norvane")).setValue(VLCEngine::volumeKey, 400);
        QCOMPARE(ScriptedEngine().engine->volume(), VLCEngine::maxVolume);
    }

    void togglePause_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("playing: pauses") << QStringLiteral("play") << true << QStringList{"pause"};
        QTest::newRow("paused: resumes") << QStringLiteral("play") << false << QStringList{"play"};
        // With nothing to play, nothing happens: no error for want of a media, no stopped media
        // started again.
        QTest::newRow("nothing ever given") << QString() << false << QStringList();
        QTest::newRow("after a stop") << QStringLiteral("stop") << false << QStringList();
        // A finished or failed item is not started again behind its message.
        QTest::newRow("at the end") << QStringLiteral("ended") << false << QStringList();
        QTest::newRow("on an error") << QStringLiteral("error") << false << QStringList();
    }
    void togglePause()
    {
        QFETCH(QString, before);
        QFETCH(bool, playing);
        QFETCH(QStringList, calls);
        ScriptedEngine s;
        if (!before.isEmpty())
            s.engine->play(QStringLiteral("http://127.0.0.1:1/live/u/p/1.ts"), 0);
        if (before == QLatin1String("stop"))
            s.engine->stop();
        if (before == QLatin1String("ended") || before == QLatin1String("error"))
            s.player->report(before == QLatin1String("ended") ? MediaPlayerBackend::Ended
                                                              : MediaPlayerBackend::Error,
                             false);
        s.settle();
        const Status status = s.engine->status();
        s.player->playing = playing;
        s.player->calls.clear();
        s.engine->togglePause();
        s.settle();
        QCOMPARE(s.player->calls, calls);
        QCOMPARE(s.engine->status(), status);
    }

    // A callback of the stopped media still waiting in the queue does not turn "stopped" back
    // into what that media was doing (libVLC reports nothing after the stop to correct it).
    void stopOutranksCallbacksStillQueued()
    {
        ScriptedEngine s;
        s.player->report(MediaPlayerBackend::Playing, true, 100);
        s.settle();
        s.player->report(MediaPlayerBackend::Buffering, false, 200); // queued, not yet handled
        s.engine->stop();
        s.settle();
        QCOMPARE(s.engine->status(), Status::Stopped);
        // What the player reports after the stop (it was started again) counts as before.
        s.player->report(MediaPlayerBackend::Opening, false, 0);
        s.settle();
        QCOMPARE(s.engine->status(), Status::Opening);
    }

    // What libVLC writes names stream addresses, which carry the subscriber's user name and
    // password; a line goes to the log only without them.
    void credentialsLeaveLogLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("logged");
        QTest::newRow("live path") << QStringLiteral("creating access: http://h:8080/live/ana/s3cr3t/12.ts")
                                   << QStringLiteral("creating access: http://h:8080/live/***/***/12.ts");
        QTest::newRow("movie and series paths, two on a line")
            << QStringLiteral("/movie/ana/s3cr3t/5.mp4 then /SERIES/ana/s3cr3t/6.mkv")
            << QStringLiteral("/movie/***/***/5.mp4 then /SERIES/***/***/6.mkv");
        QTest::newRow("query items")
            << QStringLiteral("GET /get.php?username=ana&Password=s3cr3t&type=m3u HTTP/1.1")
            << QStringLiteral("GET /get.php?username=***&Password=***&type=m3u HTTP/1.1");
        QTest::newRow("before the host")
            << QStringLiteral("http://ana:s3cr3t@h/a.ts") << QStringLiteral("http://***@h/a.ts");
        QTest::newRow("encoded characters")
            << QStringLiteral("/live/a%20na/s%2F3/1.m3u8") << QStringLiteral("/live/***/***/1.m3u8");
        QTest::newRow("nothing to hide") << QStringLiteral("main decoder: using avcodec for h264")
                                         << QStringLiteral("main decoder: using avcodec for h264");
    }
    void credentialsLeaveLogLines()
    {
        QFETCH(QString, line);
        QFETCH(QString, logged);
        QCOMPARE(LogRedaction::withoutCredentials(line), logged);
    }

    // libVLC's log goes through a category of its own, which NORVANE_VLC_LOG turns on, never
    // straight to standard error (nor do its decoders, on a damaged stream), and names addresses
    // without the user name and password.
    void libVlcLogGoesThroughItsCategory_data()
    {
        QTest::addColumn<bool>("turnedOn");
        QTest::newRow("a normal run") << false;
        QTest::newRow("NORVANE_VLC_LOG") << true;
    }
    void libVlcLogGoesThroughItsCategory()
    {
        QFETCH(bool, turnedOn);
        vlcLines.clear();
        nextHandler = qInstallMessageHandler(recordVlcLines);
        const auto restore = qScopeGuard([] {
            qInstallMessageHandler(nextHandler);
            QLoggingCategory::setFilterRules(QString());
        });
        QTemporaryDir dir;
        QFile live(SampleMedia::path(SampleMedia::Kind::LiveTs));
        QFile damaged(dir.filePath(QStringLiteral("damaged.ts")));
        QVERIFY(live.open(QIODevice::ReadOnly) && damaged.open(QIODevice::WriteOnly));
        QByteArray bytes = live.read(200'000); // under a second
        for (qsizetype i = 20'000; i < bytes.size(); i += 997)
            bytes[i] = char(bytes[i] ^ 0x5a);
        damaged.write(bytes);
        damaged.close();
        const QByteArray raw = captureStderr([this, turnedOn, &damaged] {
            auto surface = std::make_unique<VideoSurface>();
            auto player = std::make_unique<LibVlcPlayer>(VLCEngine::libraryOptionsFromEnvironment(), turnedOn,
                                                         surface.get());
            VLCEngine engine(std::move(player), std::move(surface));
            engine.play(
                m_provider.baseUrl() +
                QStringLiteral("/live/secretuser/secretpass/9.ts?username=secretuser&password=secretpass"));
            QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Error, playbackTimeoutMs);
            engine.play(QUrl::fromLocalFile(damaged.fileName()).toString());
            QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Ended, playbackTimeoutMs);
        });
        QCOMPARE(raw, QByteArray());
        const QString lines = vlcLines.join(QLatin1Char('\n'));
        QCOMPARE(lines.isEmpty(), !turnedOn);
        QVERIFY2(!lines.contains(QLatin1String("secret")), qPrintable(lines));
        if (turnedOn)
            QVERIFY2(lines.contains(QLatin1String("/live/***/***/9.ts")), qPrintable(lines));
    }

    // Real libVLC from here on, on media served over loopback.

    void workingStreams_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<qint64>("durationMs"); // -1: whatever libVLC makes of it
        QTest::newRow("hls") << QStringLiteral("live-hls/index.m3u8") << qint64(-1);
        QTest::newRow("ts") << QStringLiteral("live.ts") << qint64(-1);
        QTest::newRow("mp4") << QStringLiteral("movie-plain.mp4") << qint64(SampleMedia::movieSeconds * 1000);
        QTest::newRow("live ts without a length") << QStringLiteral("endless/live.ts") << qint64(0);
    }
    // Opening, perhaps buffering, then playing; the length of files, none for live streams.
    void workingStreams()
    {
        QFETCH(QString, file);
        QFETCH(qint64, durationMs);
        VLCEngine *engine = VLCEngine::shared();
        StatusLog log(engine);
        engine->play(mediaUrl(m_provider, file), 0);
        QTRY_VERIFY_WITH_TIMEOUT(log.reached(Status::Playing) || log.reached(Status::Error),
                                 playbackTimeoutMs);
        QCOMPARE(log.seen.first(), Status::Opening);
        const qsizetype playing = log.seen.indexOf(Status::Playing);
        QVERIFY2(playing > 0, qPrintable(QDebug::toString(log.seen)));
        for (qsizetype i = 1; i < playing; ++i)
            QVERIFY2(log.seen[i] == Status::Opening || log.seen[i] == Status::Buffering,
                     qPrintable(QDebug::toString(log.seen)));
        QTRY_VERIFY_WITH_TIMEOUT(engine->currentTimeMs() >= 1000, playbackTimeoutMs);
        QCOMPARE(engine->status(), Status::Playing);
        if (durationMs >= 0)
            QVERIFY2(std::abs(engine->durationMs() - durationMs) <= 500,
                     qPrintable(QString::number(engine->durationMs())));
    }

    void resumePositionIsHonoured_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("whole file, no ranges") << QStringLiteral("/media/movie-plain.mp4");
        QTest::newRow("provider's movie stream, with ranges")
            << QStringLiteral("/movie/demo/demo1234/%1.mp4").arg(SampleCatalog::plainMovieId);
    }
    void resumePositionIsHonoured()
    {
        QFETCH(QString, path);
        VLCEngine *engine = VLCEngine::shared();
        engine->play(m_provider.baseUrl() + path, 20);
        QTRY_VERIFY_WITH_TIMEOUT(engine->status() == Status::Playing && engine->currentTimeMs() > 0,
                                 playbackTimeoutMs);
        QVERIFY2(engine->currentTimeMs() >= 19'000 && engine->currentTimeMs() < 30'000,
                 qPrintable(QString::number(engine->currentTimeMs())));
    }

    void brokenStreamsEndWithoutHanging_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("mayEnd");
        QTest::newRow("404") << QStringLiteral("/media/no-such-file.ts") << false;
        QTest::newRow("refused port") << QStringLiteral("refused") << false;
        QTest::newRow("not media") << QStringLiteral("/html/live.ts") << true;
        QTest::newRow("cut mid-way") << QStringLiteral("/media/cut/live.ts") << true;
    }
    void brokenStreamsEndWithoutHanging()
    {
        QFETCH(QString, address);
        QFETCH(bool, mayEnd);
        ProviderFault html;
        html.htmlBody = true;
        m_provider.setPathFault(QStringLiteral("/html/"), html);
        if (address == QLatin1String("refused")) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            address = QStringLiteral("http://127.0.0.1:%1/live.ts").arg(closed.serverPort());
        } else {
            address = m_provider.baseUrl() + address;
        }
        VLCEngine *engine = VLCEngine::shared();
        engine->play(address, 0);
        QCOMPARE(engine->status(), Status::Opening);
        const auto over = [&] {
            return engine->status() == Status::Error || (mayEnd && engine->status() == Status::Ended);
        };
        QTRY_VERIFY_WITH_TIMEOUT(over(), playbackTimeoutMs);
        QTest::qWait(300); // and it stays so: libVLC's own wind-down does not turn it into "stopped"
        QVERIFY2(over(), qPrintable(VLCEngine::statusName(engine->status())));
    }

    void tracksOfASpanishAndEnglishMovie()
    {
        VLCEngine *engine = VLCEngine::shared();
        engine->play(mediaUrl(m_provider, QStringLiteral("movie-tracks.mp4")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Playing, playbackTimeoutMs);
        QStringList audio;
        for (const Track &t : engine->audioTracks())
            audio << t.name();
        QCOMPARE(audio, (QStringList{"Español", "Inglés"}));
        QCOMPARE(engine->subtitleTracks().size(), 1);
        QCOMPARE(engine->subtitleTracks().first().name(), QStringLiteral("Español"));
        QVERIFY(engine->audioTracks().at(0).id() != engine->audioTracks().at(1).id());
        // The tracks chosen are the ones libVLC takes, "Desactivar" (-1) included, and it plays on.
        const int subtitle = engine->subtitleTracks().first().id();
        engine->selectSubtitleTrack(subtitle);
        QVERIFY(spuPlayer);
        QCOMPARE(libvlc_video_get_spu(spuPlayer), subtitle);
        const int english = engine->audioTracks().at(1).id();
        engine->selectAudioTrack(english);
        QCOMPARE(libvlc_audio_get_track(spuPlayer), english);
        engine->selectSubtitleTrack(-1);
        QCOMPARE(libvlc_video_get_spu(spuPlayer), -1);
        QTest::qWait(200);
        QCOMPARE(engine->status(), Status::Playing);
    }

    // What libVLC itself reports of the level and the mute switch set before a media, while it
    // plays, and on the next media, whose player starts without them. libVLC's dummy output has no
    // volume (it reads 0 whatever is set): ALSA's null device has, and needs no sound card.
    void volumeAndMuteReachLibVlc()
    {
        auto surface = std::make_unique<VideoSurface>();
        auto owned = std::make_unique<LibVlcPlayer>(
            VLCEngine::libraryOptions(QStringLiteral("--aout=alsa,--alsa-audio-device=null")), false,
            surface.get());
        LibVlcPlayer *player = owned.get();
        VLCEngine engine(std::move(owned), std::move(surface));
        const auto heard = [player] { return QList<int>{player->outputVolume(), player->outputMuted()}; };
        const auto playUntilHeard = [&](const QString &file, const QList<int> &expected) {
            engine.play(mediaUrl(m_provider, file), 0);
            QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Playing, playbackTimeoutMs);
            QTRY_COMPARE(heard(), expected);
        };
        engine.setVolume(37);
        engine.setMuted(true);
        playUntilHeard(QStringLiteral("movie-plain.mp4"), {37, 1});
        engine.changeVolume(-5);
        engine.toggleMute();
        QTRY_COMPARE(heard(), (QList<int>{32, 0}));
        playUntilHeard(QStringLiteral("episode.mp4"), {32, 0});
        engine.setMuted(true);
        playUntilHeard(QStringLiteral("movie-plain.mp4"), {32, 1});
        engine.setVolume(VLCEngine::defaultVolume);
        engine.setMuted(false);
    }

    // libVLC stops a player by joining its input thread, and an HLS read of a segment whose
    // server stalls mid-body blocks that thread until the connection ends. The provider answers
    // from this very thread, so a main thread that waited would never see the stall end: leaving
    // the stream must not wait at all, and the next stream must play meanwhile.
    void stalledStreamNeverHoldsTheMainThread_data()
    {
        QTest::addColumn<QString>("leaveBy");
        QTest::newRow("stop, then play another") << QStringLiteral("stop");
        QTest::newRow("zap to another channel") << QStringLiteral("zap");
        QTest::newRow("engine destroyed") << QStringLiteral("destroy");
    }
    void stalledStreamNeverHoldsTheMainThread()
    {
        QFETCH(QString, leaveBy);
        const QString stalledSegment = QStringLiteral("/media/live-hls/seg002.ts");
        ProviderFault stall;
        stall.stallAfterHeaders = true;
        m_provider.setPathFault(stalledSegment, stall);
        const auto cleanUp = qScopeGuard([this] {
            m_provider.clearScript();
            m_provider.endStalls();
        });
        m_provider.clearLog();
        m_provider.endStalls(); // earlier tests' players all wound down: the count below is ours
        QTRY_COMPARE_WITH_TIMEOUT(PlayerRetirer::pendingInProcess(), 0, playbackTimeoutMs);

        auto surface = std::make_unique<VideoSurface>();
        auto owned =
            std::make_unique<LibVlcPlayer>(VLCEngine::libraryOptionsFromEnvironment(), false, surface.get());
        LibVlcPlayer *player = owned.get();
        player->setExitWait(200ms);
        auto engine = std::make_unique<VLCEngine>(std::move(owned), std::move(surface));
        engine->play(mediaUrl(m_provider, QStringLiteral("live-hls/index.m3u8")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(engine->status(), Status::Playing, playbackTimeoutMs);
        const auto stalledAsked = [&] {
            const QList<ProviderRequest> requests = m_provider.requests();
            return std::any_of(requests.cbegin(), requests.cend(),
                               [&](const ProviderRequest &r) { return r.path == stalledSegment; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(stalledAsked(), playbackTimeoutMs);
        QTest::qWait(200); // the headers go out; libVLC now waits for a body that never comes

        StallMeter meter;
        QElapsedTimer leaving;
        leaving.start();
        if (leaveBy == QLatin1String("destroy"))
            engine.reset(); // waits the shortened exit wait, then leaves the stuck player to finish alone
        else if (leaveBy == QLatin1String("stop"))
            engine->stop();
        else
            engine->play(mediaUrl(m_provider, QStringLiteral("live.ts")), 0);
        const qint64 leftAfterMs = leaving.elapsed();
        QVERIFY2(leftAfterMs < 1000, qPrintable(QString::number(leftAfterMs)));
        // The stop really is stuck in libVLC (else this would prove nothing).
        QTest::qWait(100);
        QCOMPARE(PlayerRetirer::pendingInProcess(), 1);

        if (engine) {
            if (leaveBy == QLatin1String("stop")) {
                QCOMPARE(engine->status(), Status::Stopped);
                engine->play(mediaUrl(m_provider, QStringLiteral("live.ts")), 0);
            }
            QTRY_VERIFY_WITH_TIMEOUT(engine->status() == Status::Playing && engine->currentTimeMs() >= 500,
                                     playbackTimeoutMs);
            QCOMPARE(player->playersWindingDown(), 1);
        }
        QVERIFY2(meter.longest < 1000,
                 qPrintable(QStringLiteral("event loop blocked %1 ms").arg(meter.longest)));

        // Once the server gives up, the stuck player winds down too, also when its engine is gone.
        m_provider.endStalls();
        QTRY_COMPARE_WITH_TIMEOUT(PlayerRetirer::pendingInProcess(), 0, playbackTimeoutMs);
        if (engine) {
            QCOMPARE(player->playersWindingDown(), 0);
            QCOMPARE(engine->status(), Status::Playing);
            engine.reset();
        }
    }

    // A picture beyond the bound fails the item as a broken stream does, and its sound stops too.
    void pictureBeyondTheBoundFailsTheItem()
    {
        auto surface = std::make_unique<VideoSurface>();
        auto owned =
            std::make_unique<LibVlcPlayer>(VLCEngine::libraryOptionsFromEnvironment(), false, surface.get());
        LibVlcPlayer *player = owned.get();
        player->setMaxPictureSide(640);
        VLCEngine engine(std::move(owned), std::move(surface));
        engine.play(mediaUrl(m_provider, QStringLiteral("clip-720p.mp4")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(engine.status(), Status::Error, playbackTimeoutMs);
        QCOMPARE(engine.surface()->displayedFrames(), 0u);
        QTRY_COMPARE_WITH_TIMEOUT(player->playersWindingDown(), 0, playbackTimeoutMs);
        QVERIFY(!player->isPlaying());
        QTest::qWait(300);
        QCOMPARE(engine.status(), Status::Error);
    }

    // Dozens of channel changes in a few seconds, over streams that play, that never answer and
    // that stall mid-segment: the last channel plays, libVLC's threads never read a player (one
    // may be being stopped in the background), and every player let go of is released.
    void fastZappingReleasesEveryPlayer()
    {
        ProviderFault stall;
        stall.stall = true;
        m_provider.setPathFault(QStringLiteral("/stalled/"), stall);
        ProviderFault stallMidSegment;
        stallMidSegment.stallAfterHeaders = true;
        m_provider.setPathFault(QStringLiteral("/media/live-hls/seg001.ts"), stallMidSegment);
        const auto cleanUp = qScopeGuard([this] {
            m_provider.clearScript();
            m_provider.endStalls();
        });
        m_provider.endStalls();
        QTRY_COMPARE_WITH_TIMEOUT(PlayerRetirer::pendingInProcess(), 0, playbackTimeoutMs);
        sizeAskedOffMainThread = 0;

        auto surface = std::make_unique<VideoSurface>();
        auto owned =
            std::make_unique<LibVlcPlayer>(VLCEngine::libraryOptionsFromEnvironment(), false, surface.get());
        owned->setExitWait(200ms);
        auto engine = std::make_unique<VLCEngine>(std::move(owned), std::move(surface));
        const QStringList channels{mediaUrl(m_provider, QStringLiteral("live.ts")),
                                   m_provider.baseUrl() + QStringLiteral("/stalled/live.ts"),
                                   mediaUrl(m_provider, QStringLiteral("live-hls/live.m3u8")),
                                   mediaUrl(m_provider, QStringLiteral("clip-anamorphic.ts")),
                                   m_provider.baseUrl() + QStringLiteral("/stalled/index.m3u8")};
        StallMeter meter;
        for (int zap = 0; zap < 40; ++zap) {
            engine->play(channels.at(zap % channels.size()), 0);
            QTest::qWait(zap % 7 == 0 ? 400 : 40); // now and then long enough for the picture to start
        }
        engine->play(channels.first(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(engine->status() == Status::Playing &&
                                     engine->surface()->displayedFrames() > 0,
                                 playbackTimeoutMs);
        QVERIFY2(meter.longest < 1000,
                 qPrintable(QStringLiteral("event loop blocked %1 ms").arg(meter.longest)));
        QCOMPARE(sizeAskedOffMainThread.load(), 0);

        m_provider.endStalls();
        engine.reset();
        QTRY_COMPARE_WITH_TIMEOUT(PlayerRetirer::pendingInProcess(), 0, playbackTimeoutMs);
    }

private:
    QTemporaryDir m_settingsDir;
    SampleProvider m_provider;
};

NORVANE_TEST_MAIN(TestVLCEngine)
#include "tst_vlcengine.moc"
