#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "VLCEngine.h"
#include "VideoSurface.h"

#include <QSignalSpy>
#include <QTemporaryFile>
#include <cstdio>
#include <unistd.h>

using norvane::test::ScriptedPlayer;
using Status = VLCEngine::Status;

namespace {

struct ScriptedEngine
{
    ScriptedEngine()
    {
        auto owned = std::make_unique<ScriptedPlayer>();
        player = owned.get();
        engine = std::make_unique<VLCEngine>(std::move(owned), nullptr);
    }
    // Lets the queued callbacks run.
    void settle() { QCoreApplication::processEvents(); }

    ScriptedPlayer *player = nullptr;
    std::unique_ptr<VLCEngine> engine;
};

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

} // namespace

// The engine's rules over a scripted player: options, status table, tracks, play and its guards.
class TestVLCEngine : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void libraryOptions_data()
    {
        QTest::addColumn<QVariant>("extra");
        QTest::addColumn<QStringList>("appended");
        QTest::newRow("unset") << QVariant() << QStringList();
        QTest::newRow("empty") << QVariant(QString()) << QStringList();
        QTest::newRow("one") << QVariant(QStringLiteral("--aout=adummy")) << QStringList{"--aout=adummy"};
        QTest::newRow("two commas between") << QVariant(QStringLiteral("--aout=adummy,,--vout=dummy"))
                                            << QStringList{"--aout=adummy", "--vout=dummy"};
        QTest::newRow("blanks kept, edges dropped") << QVariant(QStringLiteral(",--a, --b ,"))
                                                    << QStringList{"--a", " --b "};
        QTest::newRow("only commas") << QVariant(QStringLiteral(",,,")) << QStringList();
    }
    void libraryOptions()
    {
        QFETCH(QVariant, extra);
        QFETCH(QStringList, appended);
        const std::optional<QString> value = extra.isValid() ? std::optional<QString>(extra.toString()) : std::nullopt;
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
        QTest::newRow("stopped") << false << 0 << Status::Playing << Status::Stopped;
        QTest::newRow("opening") << false << 1 << Status::Idle << Status::Opening;
        QTest::newRow("buffering") << false << 2 << Status::Opening << Status::Buffering;
        QTest::newRow("ended") << false << 3 << Status::Playing << Status::Ended;
        QTest::newRow("error") << false << 4 << Status::Opening << Status::Error;
        QTest::newRow("playing state alone keeps status") << false << 5 << Status::Buffering << Status::Buffering;
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
        QTest::newRow("other language alone keeps its name") << QVariantList{"Disable", "Deutsch"} << QVariantList{-1, 2}
                                                             << tracks({{2, "Deutsch"}});
        QTest::newRow("other language beside english is left out")
            << QVariantList{"Deutsch", "English"} << QVariantList{1, 2} << tracks({{2, "Inglés"}});
        QTest::newRow("castellano and latin are spanish")
            << QVariantList{"Castellano", "Latin"} << QVariantList{1, 2} << tracks({{1, "Español"}, {2, "Español 2"}});
        QTest::newRow("libVLC labels, upper case, accents")
            << QVariantList{"Track 1 - [Spanish]", "Track 2 - [English]", "INGLÉS (AD)", "ESP"}
            << QVariantList{1, 2, 3, 4} << tracks({{1, "Español"}, {2, "Inglés"}, {3, "Inglés 2"}, {4, "Español 2"}});
        QTest::newRow("unnamed and negative entries dropped")
            << QVariantList{QVariant(), "English", "Spanish"} << QVariantList{1, 2, -3} << tracks({{2, "Inglés"}});
        QTest::newRow("index that is not a number dropped")
            << QVariantList{"English", "Spanish"} << QVariantList{"2", 3} << tracks({{3, "Español"}});
        QTest::newRow("paired up to the shorter list")
            << QVariantList{"English", "Spanish", "Deutsch"} << QVariantList{4} << tracks({{4, "Inglés"}});
        QTest::newRow("only the no-track entry") << QVariantList{"Disable"} << QVariantList{-1} << QList<Track>();
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

    void fillScreenAlwaysReachesTheSurface()
    {
        ScriptedEngine s;
        QSignalSpy changed(s.engine.get(), &VLCEngine::fillScreenChanged);
        s.engine->setFillScreen(false);
        QCOMPARE(changed.count(), 0);
        s.engine->setFillScreen(true);
        s.engine->setFillScreen(true);
        QCOMPARE(changed.count(), 1);
        QVERIFY(s.engine->surface()->fillScreen());
    }

    void commandsReachThePlayer()
    {
        ScriptedEngine s;
        s.player->report(MediaPlayerBackend::Playing, true, 100);
        s.settle();
        s.player->calls.clear();
        s.engine->togglePause();
        s.player->playing = false;
        s.engine->togglePause();
        s.engine->seek(2'000'000'000);
        s.engine->selectAudioTrack(4);
        s.engine->selectSubtitleTrack(-1);
        QCOMPARE(s.player->calls, (QStringList{"pause", "play", "seek"}));
        QCOMPARE(s.player->lastSeekMs, 2'000'000'000);
        QCOMPARE(s.player->audioTrack, 4);
        QCOMPARE(s.player->subtitleTrack, -1);

        s.engine->stop();
        QCOMPARE(s.engine->status(), Status::Stopped);
        QCOMPARE(s.player->calls.last(), QStringLiteral("stop"));
    }

    void callbacksAfterTheEngineIsGoneAreHarmless()
    {
        ScriptedEngine s;
        s.player->report(MediaPlayerBackend::Playing, true, 100);
        s.player->report(MediaPlayerBackend::Ended, false, 200);
        s.engine.reset();
        s.settle(); // the queued steps die with the engine
    }

    void diagnosticLinePerCallback()
    {
        QCOMPARE(VLCEngine::diagnosticLine(Status::Playing, 1234, QSize(1280, 720)),
                 QStringLiteral("[NORVANE] estado=playing t=1234ms video=1280x720"));
        QCOMPARE(VLCEngine::diagnosticLine(Status::Opening, 0, QSize()),
                 QStringLiteral("[NORVANE] estado=opening t=0ms video=0x0"));

        ScriptedEngine s;
        s.engine->setDiagnostics(true);
        s.player->size = QSize(640, 360);
        const QByteArray written = captureStderr([&] {
            // Each queued step reads the player as it is when it runs.
            s.player->report(MediaPlayerBackend::Opening, false, 0);
            s.settle();
            s.player->report(MediaPlayerBackend::Playing, true, 40);
            s.settle();
            s.player->report(MediaPlayerBackend::Playing, true, 80);
            s.settle();
        });
        QCOMPARE(written, QByteArray("[NORVANE] estado=opening t=0ms video=640x360\n"
                                     "[NORVANE] estado=playing t=40ms video=640x360\n"
                                     "[NORVANE] estado=playing t=80ms video=640x360\n"));
    }
};

NORVANE_TEST_MAIN(TestVLCEngine)
#include "tst_vlcengine.moc"
