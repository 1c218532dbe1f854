#include "ItemInput.h"
#include "PlayerModel.h"
#include "PlayerText.h"
#include "ProgressStore.h"
#include "QmlHarness.h"
#include "ScriptedPlayer.h"
#include "TestMain.h"
#include "VLCEngine.h"

#include <QQmlExtensionPlugin>
#include <QQuickItem>
#include <QStyleHints>
#include <QTemporaryDir>

Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)

using namespace norvane::test;

namespace {

PlayableItem episode(int number, qint64 startMs = 0)
{
    const QString id = QString::number(100 + number);
    return PlayableItem(QStringLiteral("Serie"), QStringLiteral("T1 · E%1 · Capítulo").arg(number),
                        QStringLiteral("http://127.0.0.1:1/series/u/p/") + id + ".mp4",
                        QStringLiteral("series:1:ep:") + id, QStringLiteral("series"), QStringLiteral("1"),
                        std::nullopt, startMs);
}

PlayableItem movie()
{
    return PlayableItem(QStringLiteral("Película"), std::nullopt, QStringLiteral("http://127.0.0.1:1/movie/u/p/7.mp4"),
                        QStringLiteral("movie:7"), QStringLiteral("movie"), QStringLiteral("7"), std::nullopt, 0);
}

const QByteArray playerQml = R"(
import QtQuick
import Norvane
PlayerView {
    width: 1000; height: 600
    hideDelayMs: 300
    skipHintMs: 150
}
)";

// The player screen over a scripted engine, its model and a private progress store.
struct Fixture
{
    explicit Fixture(const QList<PlayableItem> &queue, int index = 0)
        : store(dir.filePath(QStringLiteral("progress.json")))
    {
        auto owned = std::make_unique<ScriptedPlayer>();
        player = owned.get();
        engine = std::make_unique<VLCEngine>(std::move(owned), nullptr);
        model = std::make_unique<PlayerModel>(engine.get(), &store);
        model->setQueue(queue);
        model->setIndex(index);
        model->setCountdownStepMs(50);
        view = qobject_cast<QQuickItem *>(createShown(
            harness, playerQml,
            {{QStringLiteral("model"), QVariant::fromValue(model.get())},
             {QStringLiteral("engine"), QVariant::fromValue(engine.get())}}));
    }

    void playerAt(qint64 timeMs, qint64 lengthMs)
    {
        player->length = lengthMs;
        player->report(MediaPlayerBackend::Playing, true, timeMs);
        QCoreApplication::processEvents();
    }

    QQuickItem *item(const char *name) const { return findByName<QQuickItem>(view, QString::fromLatin1(name)); }
    bool controlsShown() const { return view->property("controlsShown").toBool(); }

    QTemporaryDir dir;
    ProgressStore store;
    ScriptedPlayer *player = nullptr;
    std::unique_ptr<VLCEngine> engine;
    std::unique_ptr<PlayerModel> model;
    QmlHarness harness;
    QQuickItem *view = nullptr;
};

void doubleClick(QQuickItem *item)
{
    QQuickWindow *window = item->window();
    const QPoint at = sceneCenter(item).toPoint();
    QTest::mouseDClick(window, Qt::LeftButton, {}, at);
}

} // namespace

// The player screen: time labels, the controls' timing, the click zones and what the bars offer.
class TestPlayerView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0:00";
        QTest::newRow("negative reads zero") << qint64(-5000) << "0:00";
        QTest::newRow("minute and seconds") << qint64(65'000) << "1:05";
        QTest::newRow("largest minute form") << qint64(3'599'999) << "59:59";
        QTest::newRow("exactly one hour") << qint64(3'600'000) << "1:00:00";
        QTest::newRow("hours") << qint64(3'725'000) << "1:02:05";
        QTest::newRow("beyond ten hours") << qint64(36'000'000 + 59'000) << "10:00:59";
    }
    void timeText()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, text);
        QCOMPARE(PlayerText::timeText(ms), text);
    }

    void countdownHasTheNumberInPlace()
    {
        QCOMPARE(PlayerText::countdownText(7), QStringLiteral("Comienza en 7 segundos..."));
    }

    void opensAtTheItemsStartAndHidesControls()
    {
        Fixture f({episode(1, 754'000)});
        QVERIFY(f.view);
        QVERIFY(f.player->calls.contains(QStringLiteral("play")));
        QVERIFY(f.player->options.contains(QStringLiteral(":start-time=754")));
        QVERIFY(f.controlsShown());
        QTRY_VERIFY_WITH_TIMEOUT(!f.controlsShown(), 2000);
    }

    void everyControlKeepsTheControlsLonger()
    {
        Fixture f({episode(1)});
        QElapsedTimer clock;
        clock.start();
        // Pressed repeatedly past the delay, the controls never go.
        while (clock.elapsed() < 700) {
            QTest::qWait(100);
            QVERIFY(f.controlsShown());
            clickItem(f.item("fillButton"));
        }
        QTRY_VERIFY_WITH_TIMEOUT(!f.controlsShown(), 2000);
    }

    void singleClicksToggleTheControls()
    {
        Fixture f({episode(1)});
        QTRY_VERIFY_WITH_TIMEOUT(!f.controlsShown(), 2000);
        clickItem(f.item("zoneLeft"));
        QTRY_VERIFY(f.controlsShown());
        clickItem(f.item("zoneRight"));
        QTRY_VERIFY(!f.controlsShown());
    }

    void fillButtonNamesTheOtherMode()
    {
        Fixture f({movie()});
        QQuickItem *button = f.item("fillButton");
        QCOMPARE(button->property("text").toString(), QStringLiteral("Llenar"));
        QCOMPARE(accessibleName(button), QStringLiteral("Llenar"));
        clickItem(button);
        QVERIFY(f.engine->fillScreen());
        QCOMPARE(button->property("text").toString(), QStringLiteral("Ajustar"));
    }

    void nextButtonOnlyBeforeTheLastItem_data()
    {
        QTest::addColumn<QList<PlayableItem>>("queue");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("shown");
        QTest::newRow("movie") << QList<PlayableItem>{movie()} << 0 << false;
        QTest::newRow("first of two episodes") << QList<PlayableItem>{episode(1), episode(2)} << 0 << true;
        QTest::newRow("last episode") << QList<PlayableItem>{episode(1), episode(2)} << 1 << false;
    }
    void nextButtonOnlyBeforeTheLastItem()
    {
        QFETCH(QList<PlayableItem>, queue);
        QFETCH(int, index);
        QFETCH(bool, shown);
        Fixture f(queue, index);
        QCOMPARE(f.item("nextButton")->isVisible(), shown);
    }

    void doubleClicksSkipAndShowTheHint()
    {
        Fixture f({movie()});
        f.playerAt(30'000, 600'000);
        doubleClick(f.item("zoneRight"));
        QCOMPARE(f.player->lastSeekMs, 40'000);
        QVERIFY(f.view->property("skipHint").isValid());
        QCOMPARE(f.view->property("skipHint").toMap().value("side").toInt(), 1);
        f.playerAt(40'000, 600'000);
        doubleClick(f.item("zoneRight"));
        QCOMPARE(f.player->lastSeekMs, 50'000);
        QCOMPARE(f.view->property("skipHint").toMap().value("id").toInt(), 2);
        doubleClick(f.item("zoneLeft"));
        QCOMPARE(f.player->lastSeekMs, 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(f.view->property("skipHint").isNull(), 1000);
        // A double click skips without also toggling the controls.
        QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
        QVERIFY(f.controlsShown());
    }

    void audioMenuNeedsTracksSubtitleMenuAlwaysOffersOff()
    {
        Fixture f({movie()});
        QVERIFY(!f.item("audioButton")->isEnabled());
        QVERIFY(f.item("subtitleButton")->isEnabled());
        f.player->audio = {{QStringLiteral("Español"), QStringLiteral("English")}, {1, 2}};
        f.playerAt(1000, 600'000);
        QVERIFY(f.item("audioButton")->isEnabled());
        clickItem(f.item("subtitleButton"));
        QQuickItem *off = nullptr;
        QTRY_VERIFY((off = findByName<QQuickItem>(f.harness.window().contentItem(), QStringLiteral("subtitleOff"))));
        QCOMPARE(accessibleName(off), QStringLiteral("Desactivar"));
    }

    void timeLabelsFollowTheEngine()
    {
        Fixture f({movie()});
        f.playerAt(3'725'000, 7'200'000);
        QCOMPARE(f.item("elapsedText")->property("text").toString(), QStringLiteral("1:02:05"));
        QCOMPARE(f.item("durationText")->property("text").toString(), QStringLiteral("2:00:00"));
        QCOMPARE(f.item("playPauseButton")->property("symbol").toString(), QStringLiteral("pause.fill"));
    }

    void upNextHidesTheControlsAndCounts()
    {
        Fixture f({episode(1), episode(2)});
        f.playerAt(595'000, 600'000);
        f.player->report(MediaPlayerBackend::Ended, false, 600'000);
        QTRY_VERIFY(f.model->showUpNext());
        QVERIFY(f.view->property("showControls").toBool());
        QVERIFY(!f.controlsShown());
        QCOMPARE(f.item("nextSubtitleText")->property("text").toString(), QStringLiteral("T1 · E2 · Capítulo"));
        QTRY_COMPARE(f.item("countdownText")->property("text").toString(),
                     PlayerText::countdownText(f.model->upNextCountdown()));
        clickItem(f.item("upNextExitButton"));
        QVERIFY(!f.model->showUpNext());
    }

    void errorOverlayRetriesAtTheLastPosition()
    {
        Fixture f({movie()});
        f.playerAt(125'000, 600'000);
        f.model->tick();
        f.player->report(MediaPlayerBackend::Error, false, 125'000);
        QTRY_VERIFY(f.item("errorOverlay")->isVisible());
        f.player->calls.clear();
        clickItem(f.item("retryButton"));
        QVERIFY(f.player->calls.contains(QStringLiteral("play")));
        QVERIFY(f.player->options.contains(QStringLiteral(":start-time=125")));
    }

    void everyControlHasAName()
    {
        Fixture f({episode(1), episode(2)});
        for (const char *name : {"closeButton", "skipBackButton", "playPauseButton", "skipForwardButton",
                                 "nextButton", "fillButton", "audioButton", "subtitleButton", "seekBar"})
            QVERIFY2(!accessibleName(f.item(name)).isEmpty(), name);
    }
};

NORVANE_TEST_MAIN(TestPlayerView)
#include "tst_playerview.moc"
