#include "MediaRoutes.h"
#include "SampleMedia.h"
#include "SampleProvider.h"
#include "ScriptedPlayback.h"
#include "TestMain.h"
#include "client/NorvaneError.h"
#include "playback/VLCEngine.h"
#include "player/PlayerModel.h"
#include "storage/ProgressStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>

using norvane::test::ScriptedPlayer;
using Status = VLCEngine::Status;

namespace {

PlayableItem movie(const QString &id, qint64 startMs = 0)
{
    return PlayableItem(QStringLiteral("Película ") + id, std::nullopt,
                        QStringLiteral("http://127.0.0.1:1/movie/u/p/") + id + ".mp4",
                        QStringLiteral("movie:") + id, ContentType::Movie, id,
                        QStringLiteral("http://img/") + id, startMs);
}

PlayableItem episode(const QString &id, const std::optional<QString> &subtitle, qint64 startMs = 0)
{
    return PlayableItem(QStringLiteral("Serie"), subtitle,
                        QStringLiteral("http://127.0.0.1:1/series/u/p/") + id + ".mp4",
                        QStringLiteral("series:77:ep:") + id, ContentType::Series, QStringLiteral("77"),
                        std::nullopt, startMs);
}

// The shared fixture with the countdown stepping fast, and the stored entry of a key.
struct Fixture : norvane::test::ScriptedPlayback
{
    explicit Fixture(const QList<PlayableItem> &queue,
                     int saveIntervalMs = PlayerModel::defaultSaveIntervalMs)
        : ScriptedPlayback(queue, 20)
    {
        model->setSaveIntervalMs(saveIntervalMs);
    }
    std::optional<ProgressEntry> entry(const QString &key) const { return store.find(key); }
};

} // namespace

// Resume, periodic progress, the end of an item, up-next and the user's commands.
class TestPlayerModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qputenv("NORVANE_VLC_OPTS", "--aout=adummy"); }

    // The model saves on its own timer, with no view driving it, playing or paused.
    void progressIsSavedOnItsOwnTimer()
    {
        Fixture f({movie("7")}, 30);
        f.model->playCurrent(0);
        QSignalSpy writes(&f.store, &ProgressStore::entriesChanged);
        f.playerAt(10'000, 600'000);
        QTRY_VERIFY(writes.count() >= 1);
        f.playerAt(12'000, 600'000, MediaPlayerBackend::Paused);
        QTRY_COMPARE(f.entry(QStringLiteral("movie:7"))->positionMs(), 12'000);
        const auto saved = f.entry(QStringLiteral("movie:7"));
        QCOMPARE(saved->durationMs(), 600'000);
        QCOMPARE(saved->name(), QStringLiteral("Película 7"));
        QCOMPARE(saved->url(), movie("7").url());
        QCOMPARE(saved->imageUrl(), std::optional<QString>(QStringLiteral("http://img/7")));
        QCOMPARE(f.model->lastPositionMs(), 12'000);
    }

    void nothingIsWrittenAtPositionZero()
    {
        Fixture f({movie("7")}, 10);
        f.model->playCurrent(0);
        f.playerAt(0, 600'000, MediaPlayerBackend::Buffering);
        QTest::qWait(60);
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        f.model->close();
        QCOMPARE(closed.count(), 1);
        QVERIFY(f.store.entries().isEmpty());
        QCOMPARE(f.engine->status(), Status::Stopped);
    }

    void endOfAnItem_data()
    {
        QTest::addColumn<qint64>("durationMs");
        QTest::addColumn<qint64>("lastPositionMs");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("endState");
        const int ended = MediaPlayerBackend::Ended;
        QTest::newRow("10 min, 61 s left: broke off") << qint64(600'000) << qint64(539'000) << false << ended;
        QTest::newRow("10 min, 45 s left: last minute")
            << qint64(600'000) << qint64(555'000) << true << ended;
        QTest::newRow("10 min, exactly 60 s left: broke off")
            << qint64(600'000) << qint64(540'000) << false << ended;
        QTest::newRow("10 min, 59.999 s left") << qint64(600'000) << qint64(540'001) << true << ended;
        QTest::newRow("40 min, 3 min left: broke off")
            << qint64(2'400'000) << qint64(2'220'000) << false << ended;
        QTest::newRow("40 min, 100 s left: beyond 95 %")
            << qint64(2'400'000) << qint64(2'300'000) << true << ended;
        QTest::newRow("length never known") << qint64(0) << qint64(5'000) << false << ended;
        // An engine error is a broken stream wherever it happens, even in the last minute.
        QTest::newRow("engine error midway")
            << qint64(600'000) << qint64(300'000) << false << int(MediaPlayerBackend::Error);
        QTest::newRow("engine error near the end")
            << qint64(600'000) << qint64(590'000) << false << int(MediaPlayerBackend::Error);
    }
    void endOfAnItem()
    {
        QFETCH(qint64, durationMs);
        QFETCH(qint64, lastPositionMs);
        QFETCH(bool, finished);
        QFETCH(int, endState);
        Fixture f({movie("7")});
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        QSignalSpy errors(f.model.get(), &PlayerModel::playbackErrorChanged);
        f.model->playCurrent(0);
        f.playerAt(lastPositionMs, durationMs);
        for (int seen = 0; seen < 3; ++seen) // handled once, however often the end is reported
            f.playerAt(lastPositionMs, durationMs, endState);
        QCOMPARE(f.engine->status(), endState == MediaPlayerBackend::Ended ? Status::Ended : Status::Error);

        const auto saved = f.entry(QStringLiteral("movie:7"));
        if (finished) {
            QVERIFY(f.model->playbackError().isEmpty());
            QCOMPARE(closed.count(), 1); // the last item: the player closes without up-next
            QVERIFY(!f.model->showUpNext());
            QVERIFY(saved);
            QCOMPARE(saved->positionMs(), durationMs);
            QCOMPARE(saved->durationMs(), durationMs);
        } else {
            QCOMPARE(f.model->playbackError(), NorvaneError::contentDidNotPlay());
            QVERIFY(f.model->playbackError().contains(QLatin1Char('\n')));
            QCOMPARE(closed.count(), 0);
            QCOMPARE(errors.count(), 1);
            QVERIFY(!saved); // no periodic write happened in this short run
        }
    }

    // The engine starts at whole seconds: the start is truncated, under a second is the beginning.
    void retryClearsTheErrorAndResumes()
    {
        Fixture f({movie("7", 999)});
        f.model->playCurrent(f.model->currentItem().startTimeMs());
        QCOMPARE(f.player->url, QUrl(movie("7").url()));
        QCOMPARE(f.player->options, QStringList());
        f.playerAt(100'999, 600'000);
        f.playerAt(100'999, 600'000, MediaPlayerBackend::Ended);
        QVERIFY(!f.model->playbackError().isEmpty());
        f.model->playCurrent(f.model->lastPositionMs());
        QVERIFY(f.model->playbackError().isEmpty());
        QCOMPARE(f.model->lastPositionMs(), 100'999);
        QCOMPARE(f.player->options, QStringList{":start-time=100"});
    }

    // The countdown shows 10 to 0 and starts the next item at its own start. The finished item stays
    // recorded as watched to the end (the engine's last time lies before it), whatever the save
    // timer does meanwhile.
    void countdownStartsTheNextItem()
    {
        Fixture f(
            {episode("1", QStringLiteral("T1 E1")), episode("2", std::nullopt, 42'000), episode("3", {})},
            10);
        QCOMPARE(f.model->nextSubtitle(), QStringLiteral("Serie")); // the next has no subtitle: its title
        f.model->playCurrent(0);
        f.playerAt(555'000, 600'000);
        QTRY_VERIFY(f.entry(QStringLiteral("series:77:ep:1")));
        QList<int> shown;
        connect(f.model.get(), &PlayerModel::upNextCountdownChanged, this,
                [&] { shown.append(f.model->upNextCountdown()); });
        QList<qint64> written;
        connect(&f.store, &ProgressStore::entriesChanged, this,
                [&] { written << f.entry(QStringLiteral("series:77:ep:1"))->positionMs(); });
        f.playerAt(555'000, 600'000, MediaPlayerBackend::Ended);
        QVERIFY(f.model->showUpNext());
        QCOMPARE(f.model->upNextCountdown(), 10);
        QTRY_COMPARE(f.model->index(), 1);
        QCOMPARE(shown, (QList<int>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
        QVERIFY(!f.model->showUpNext());
        QCOMPARE(f.player->url, QUrl(episode("2", {}).url()));
        QCOMPARE(f.player->options, QStringList{":start-time=42"});
        QCOMPARE(written, QList<qint64>{600'000});
        QVERIFY(f.store.inProgress(ContentType::Series).isEmpty());
        QTest::qWait(15 * f.model->countdownStepMs());
        QCOMPARE(f.model->index(), 1); // one countdown, one step forward
    }

    void cancellingTheCountdownAtAnyMoment_data()
    {
        QTest::addColumn<int>("cancelAt");
        QTest::newRow("at once") << 10;
        QTest::newRow("midway") << 5;
        QTest::newRow("on the last second") << 1;
        QTest::newRow("as it reaches zero") << 0;
    }
    void cancellingTheCountdownAtAnyMoment()
    {
        QFETCH(int, cancelAt);
        Fixture f({movie("1"), movie("2")});
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        f.model->playCurrent(0);
        f.playerAt(599'000, 600'000);
        // Cancelled from inside the countdown's own step, the tightest moment there is.
        connect(f.model.get(), &PlayerModel::upNextCountdownChanged, this, [&] {
            if (f.model->upNextCountdown() == cancelAt) {
                f.player->calls.clear();
                f.model->upNextCancel();
            }
        });
        f.playerAt(599'000, 600'000, MediaPlayerBackend::Ended);
        QVERIFY(f.model->showUpNext());
        if (cancelAt == PlayerModel::countdownSeconds) {
            f.player->calls.clear();
            f.model->upNextCancel();
        }
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!f.model->showUpNext());
        QTest::qWait(15 * f.model->countdownStepMs());
        QCOMPARE(f.model->index(), 0);
        QCOMPARE(f.model->upNextCountdown(), cancelAt);
        QVERIFY(f.player->calls.isEmpty()); // neither the next item nor a stop
    }

    void playNowStartsAtOnceAndTheOldCountdownNeverFires()
    {
        Fixture f({movie("1"), movie("2"), movie("3")});
        f.model->playCurrent(0);
        f.playerAt(599'000, 600'000);
        bool pressed = false;
        connect(f.model.get(), &PlayerModel::upNextCountdownChanged, this, [&] {
            if (f.model->upNextCountdown() == 7 && !pressed) {
                pressed = true;
                f.model->upNextPlayNow();
            }
        });
        f.playerAt(599'000, 600'000, MediaPlayerBackend::Ended);
        QTRY_VERIFY(pressed);
        QCOMPARE(f.model->index(), 1);
        QVERIFY(!f.model->showUpNext());
        QTest::qWait(15 * f.model->countdownStepMs());
        QCOMPARE(f.model->index(), 1);
    }

    void nextSubtitle()
    {
        Fixture f({episode("1", QStringLiteral("T1 E1")), episode("2", QStringLiteral("T1 E2 · Regreso"))});
        QCOMPARE(f.model->nextSubtitle(), QStringLiteral("T1 E2 · Regreso"));
        QVERIFY(f.model->canPlayNext());
        f.model->setIndex(1);
        QVERIFY(f.model->nextSubtitle().isNull());
        QVERIFY(!f.model->canPlayNext());
        f.model->playNext(); // past the end: nothing
        QCOMPARE(f.model->index(), 1);
    }

    void skipIsClamped_data()
    {
        QTest::addColumn<qint64>("timeMs");
        QTest::addColumn<qint64>("lengthMs");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("target");
        QTest::newRow("back past the start") << qint64(4'000) << qint64(600'000) << -10 << 0;
        QTest::newRow("forward past the known end") << qint64(595'000) << qint64(600'000) << 10 << 600'000;
        QTest::newRow("forward inside") << qint64(100'000) << qint64(600'000) << 10 << 110'000;
        QTest::newRow("forward, length unknown") << qint64(4'000) << qint64(0) << 10 << 14'000;
    }
    void skipIsClamped()
    {
        QFETCH(qint64, timeMs);
        QFETCH(qint64, lengthMs);
        QFETCH(int, seconds);
        QFETCH(int, target);
        Fixture f({movie("7")});
        f.model->playCurrent(0);
        f.playerAt(timeMs, lengthMs);
        f.model->skip(seconds);
        QCOMPARE(f.player->lastSeekMs, target);
    }

    // The engine reports a seek's new position only through its later callbacks: a skip right
    // after another (two double clicks within a second), or after the seek bar, goes on from where
    // the seek is heading. Once the engine reports that place, or has not within a short while (a
    // seek it never made), skips go on from the engine's own time again.
    void skipsGoOnFromTheSeekUnderWay()
    {
        Fixture f({movie("7")});
        f.model->setSkipTargetHoldMs(100);
        f.model->playCurrent(0);
        f.playerAt(100'000, 600'000);
        f.model->skip(10);
        f.model->skip(10);
        QCOMPARE(f.player->lastSeekMs, 120'000);
        f.playerAt(100'250, 600'000); // a report from before the seek
        f.model->skip(-10);
        QCOMPARE(f.player->lastSeekMs, 110'000);
        f.playerAt(110'400, 600'000); // the seek has landed
        f.model->skip(10);
        QCOMPARE(f.player->lastSeekMs, 120'400);
        f.playerAt(120'500, 600'000);
        f.engine->seek(300'000); // the seek bar
        f.model->skip(10);
        QCOMPARE(f.player->lastSeekMs, 310'000);
        QTest::qWait(150); // the engine never got there
        f.model->skip(10);
        QCOMPARE(f.player->lastSeekMs, 130'500);
    }

    void closeSavesStopsAndCloses()
    {
        Fixture f({movie("7")});
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        f.model->playCurrent(0);
        f.playerAt(123'000, 600'000);
        f.model->close();
        QCOMPARE(f.entry(QStringLiteral("movie:7"))->positionMs(), 123'000);
        QCOMPARE(f.engine->status(), Status::Stopped);
        QCOMPARE(f.player->calls.last(), QStringLiteral("stop"));
        QCOMPARE(closed.count(), 1);
    }

    // A player dropped with its screen while its item plays stops the engine and keeps the
    // position; once closed or at its end it leaves the engine to whoever plays next.
    void droppedWithItsScreen_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<bool>("stops");
        QTest::newRow("playing") << "playing" << true;
        QTest::newRow("closed") << "closed" << false;
        QTest::newRow("finished") << "finished" << false;
    }
    void droppedWithItsScreen()
    {
        QFETCH(QString, before);
        QFETCH(bool, stops);
        Fixture f({movie("7")});
        f.model->playCurrent(0);
        f.playerAt(30'000, 600'000);
        if (before == QLatin1String("closed"))
            f.model->close();
        if (before == QLatin1String("finished"))
            f.playerAt(600'000, 600'000, MediaPlayerBackend::Ended);
        if (!stops)
            f.engine->play(QStringLiteral("http://127.0.0.1:1/live/u/p/1.m3u8")); // the next screen's
        f.model.reset();
        QCOMPARE(f.engine->status(), stops ? Status::Stopped : Status::Opening);
        QVERIFY(f.entry(QStringLiteral("movie:7")));
    }

    // Real libVLC: an episode played to its end is recorded as watched and the player closes.
    void realEpisodePlaysToItsEnd()
    {
        QVERIFY2(SampleMedia::ensureAll(), qPrintable(SampleMedia::lastError()));
        SampleProvider provider;
        QVERIFY(provider.listenOn());
        norvane::test::serveSampleMedia(provider);
        QTemporaryDir dir;
        ProgressStore store(dir.filePath(QStringLiteral("progress.json")));
        const qint64 startMs = (SampleMedia::episodeSeconds - 2) * 1000;
        PlayableItem item(QStringLiteral("Serie"), QStringLiteral("T1 E1"),
                          norvane::test::mediaUrl(provider, QStringLiteral("episode.mp4")),
                          QStringLiteral("series:1:ep:1"), ContentType::Series, QStringLiteral("1"),
                          std::nullopt, startMs);
        PlayerModel model(VLCEngine::shared(), &store);
        model.setQueue({item});
        QSignalSpy closed(&model, &PlayerModel::closeRequested);
        model.playCurrent(item.startTimeMs());
        QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, 10'000);
        QVERIFY(model.playbackError().isEmpty());
        const auto saved = store.find(QStringLiteral("series:1:ep:1"));
        QVERIFY(saved);
        QCOMPARE(saved->positionMs(), saved->durationMs());
        QVERIFY(std::abs(saved->durationMs() - SampleMedia::episodeSeconds * 1000) <= 500);
        VLCEngine::shared()->stop();
    }
};

NORVANE_TEST_MAIN(TestPlayerModel)
#include "tst_playermodel.moc"
