#include "ItemInput.h"
#include "ProportionalDigitsFont.h"
#include "QmlHarness.h"
#include "ScriptedPlayback.h"
#include "TestMain.h"
#include "client/NorvaneError.h"
#include "playback/VLCEngine.h"
#include "player/OnDemandPlayback.h"
#include "player/PlayerModel.h"
#include "player/PlayerText.h"
#include "storage/ProgressStore.h"

#include <QAccessible>
#include <QQuickItem>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>

using namespace norvane::test;

namespace {

PlayableItem episode(int number, qint64 startMs = 0)
{
    const QString id = QString::number(100 + number);
    return PlayableItem(QStringLiteral("Serie"), QStringLiteral("T1 · E%1 · Capítulo").arg(number),
                        QStringLiteral("http://127.0.0.1:1/series/u/p/") + id + ".mp4",
                        QStringLiteral("series:1:ep:") + id, ContentType::Series, QStringLiteral("1"),
                        std::nullopt, startMs);
}

PlayableItem movie()
{
    return PlayableItem(QStringLiteral("Película"), std::nullopt,
                        QStringLiteral("http://127.0.0.1:1/movie/u/p/7.mp4"), QStringLiteral("movie:7"),
                        ContentType::Movie, QStringLiteral("7"), std::nullopt, 0);
}

const QByteArray playerQml = R"(
import QtQuick
import Norvane
PlayerView {
    width: 1000; height: 600
}
)";

// Long enough that the controls never hide by themselves during a case that does not wait for it,
// however slowly the machine runs.
constexpr int neverHideMs = 600'000;
constexpr int shortHideMs = 300;

// The player screen over the shared scripted playback.
struct Fixture : ScriptedPlayback
{
    explicit Fixture(const QList<PlayableItem> &queue, int index = 0, int hideDelayMs = neverHideMs,
                     int skipHintMs = 150)
        : ScriptedPlayback(queue, 50)
    {
        model->setIndex(index);
        view = qobject_cast<QQuickItem *>(
            createShown(harness, playerQml,
                        {{QStringLiteral("model"), QVariant::fromValue(model.get())},
                         {QStringLiteral("engine"), QVariant::fromValue(engine.get())}}));
        playback = view->property("playback").value<OnDemandPlayback *>();
        // The hide scheduled on opening starts again with the shorter delay.
        playback->controls()->setHideDelayMs(hideDelayMs);
        playback->setSkipHintMs(skipHintMs);
    }

    QQuickItem *item(const char *name) const
    {
        return findByName<QQuickItem>(view, QString::fromLatin1(name));
    }
    bool controlsShown() const { return playback->controlsShown(); }
    bool hidePending() const { return playback->controls()->hidePending(); }
    // Forgets the pending hide, as if it had not been scheduled yet.
    void cancelHide() const { playback->controls()->cancelHide(); }

    QmlHarness harness;
    QQuickItem *view = nullptr;
    OnDemandPlayback *playback = nullptr;
};

// Opens the menu of a bar button and returns one of its entries (looked up among the menu's own
// entries) once the menu is fully open.
QQuickItem *openedMenuEntry(Fixture &f, const char *button, const QString &entry)
{
    QQuickItem *opener = f.item(button);
    clickItem(opener);
    QObject *menu = findByName(opener, opener->objectName() == QLatin1String("audioButton")
                                           ? QStringLiteral("audioMenu")
                                           : QStringLiteral("subtitleMenu"));
    QQuickItem *found = nullptr;
    const bool open = QTest::qWaitFor(
        [&] {
            if (!menu || !menu->property("opened").toBool())
                return false;
            for (int i = 0; i < menu->property("count").toInt() && !found; ++i) {
                QQuickItem *item = nullptr;
                QMetaObject::invokeMethod(menu, "itemAt", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, i));
                if (item && item->objectName() == entry && item->isVisible() && item->width() > 0)
                    found = item;
            }
            return found != nullptr;
        },
        5000);
    if (!open)
        qWarning() << "menu entries:" << (menu ? menu->property("count") : QVariant()) << "of" << button;
    // An entry just added sits on the first one until the menu's list has laid it out.
    waitForLayout(&f.harness.window());
    return found;
}

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

    void opensAtTheItemsStartAndHidesControls()
    {
        Fixture f({episode(1, 754'000)}, 0, shortHideMs);
        QVERIFY(f.view);
        QVERIFY(f.player->calls.contains(QStringLiteral("play")));
        QVERIFY(f.player->options.contains(QStringLiteral(":start-time=754")));
        QVERIFY(f.controlsShown());
        QTRY_VERIFY_WITH_TIMEOUT(!f.controlsShown(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!f.item("controls")->isVisible(), 5000); // faded out
    }

    // Each control of the bottom bar, after its own action, shows the controls and schedules the
    // hide again: with the pending hide forgotten, pressing the control must bring one back.
    void everyControlRestartsTheAutoHide_data()
    {
        QTest::addColumn<QByteArray>("control");
        QTest::addColumn<QString>("menuEntry");
        QTest::newRow("skip back") << QByteArray("skipBackButton") << QString();
        QTest::newRow("play/pause") << QByteArray("playPause") << QString();
        QTest::newRow("skip forward") << QByteArray("skipForwardButton") << QString();
        QTest::newRow("next") << QByteArray("nextButton") << QString();
        QTest::newRow("fill/fit") << QByteArray("fillButton") << QString();
        QTest::newRow("audio track") << QByteArray("audioButton") << QStringLiteral("audioTrack_2");
        QTest::newRow("subtitles off") << QByteArray("subtitleButton") << QStringLiteral("subtitleOff");
        QTest::newRow("subtitle track") << QByteArray("subtitleButton") << QStringLiteral("subtitleTrack_3");
    }
    void everyControlRestartsTheAutoHide()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, menuEntry);
        Fixture f({episode(1), episode(2)});
        f.player->audio = {{QStringLiteral("Español"), QStringLiteral("English")}, {1, 2}};
        f.player->subtitles = {{QStringLiteral("Español")}, {3}};
        f.playerAt(30'000, 600'000);
        QVERIFY(f.hidePending());
        QQuickItem *target = menuEntry.isEmpty() ? f.item(control.constData())
                                                 : openedMenuEntry(f, control.constData(), menuEntry);
        QVERIFY(target);
        f.cancelHide();
        QVERIFY(!f.hidePending());
        clickItem(target);
        QVERIFY2(f.hidePending(), control.constData());
        // The player got the chosen track ("Desactivar" is track -1) or the fill.
        if (menuEntry == QLatin1String("audioTrack_2"))
            QCOMPARE(f.player->audioTrack, 2);
        if (menuEntry.startsWith(QLatin1String("subtitle")))
            QCOMPARE(f.player->subtitleTrack, menuEntry == QLatin1String("subtitleOff") ? -1 : 3);
        if (control == "fillButton")
            QVERIFY(f.engine->fillScreen());
        QVERIFY(f.controlsShown());
    }

    void singleClicksToggleTheControls()
    {
        Fixture f({episode(1)});
        clickItem(f.item("zoneLeft"));
        QTRY_VERIFY(!f.controlsShown());
        clickItem(f.item("zoneRight"));
        QTRY_VERIFY(f.controlsShown());
        QVERIFY(f.hidePending()); // shown by a click, they hide again after the delay
        clickItem(f.item("zoneLeft"));
        QTRY_VERIFY(!f.controlsShown());
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

    // The player's keys reach its controller (the rules are the controller's own tests): Space
    // pauses, Right skips with the hint, F and the top bar's button put the window in full screen
    // and back, Escape gives the window back and then closes.
    void keysAndFullScreenButtonReachThePlayer()
    {
        Fixture f({movie()}, 0, neverHideMs, 2000);
        f.playerAt(30'000, 600'000);
        QQuickWindow *window = f.view->window();
        QVERIFY(f.view->hasActiveFocus());
        QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(f.player->calls.contains(QStringLiteral("pause")));
        QTest::keyClick(window, Qt::Key_Right);
        QCOMPARE(f.player->lastSeekMs, 40'000);
        QCOMPARE(f.playback->skipHintSide(), 1);

        QQuickItem *button = f.item("windowFullScreen");
        QCOMPARE(accessibleName(button), QStringLiteral("Pantalla completa"));
        clickItem(button);
        QTRY_COMPARE(window->visibility(), QWindow::FullScreen);
        QCOMPARE(accessibleName(button), QStringLiteral("Restaurar ventana"));
        QVERIFY(f.hidePending());
        // The full-screen window has the screen's size now: pressed as a screen reader does.
        QVERIFY(pressByAccessibility(button));
        QCOMPARE(window->visibility(), QWindow::Windowed);

        // At once again: the window system's late report of leaving is not the desktop's doing.
        QTest::keyClick(window, Qt::Key_F);
        QTRY_COMPARE(window->visibility(), QWindow::FullScreen);
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        QTest::keyClick(window, Qt::Key_Escape);
        QTRY_COMPARE(window->visibility(), QWindow::Windowed);
        QCOMPARE(closed.count(), 0);
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
    }

    void doubleClicksSkipAndShowTheHint()
    {
        Fixture f({movie()}, 0, neverHideMs, 2000);
        f.playerAt(30'000, 600'000);
        doubleClick(f.item("zoneRight"));
        QCOMPARE(f.player->lastSeekMs, 40'000);
        QCOMPARE(f.playback->skipHintSide(), 1);
        QTRY_VERIFY(f.item("skipHint")->isVisible());
        f.playerAt(40'000, 600'000);
        doubleClick(f.item("zoneRight"));
        QCOMPARE(f.player->lastSeekMs, 50'000);
        QCOMPARE(f.playback->skipHintId(), 2);
        // Built on where the last skip is heading: the engine has not reached 50 s yet.
        doubleClick(f.item("zoneLeft"));
        QCOMPARE(f.player->lastSeekMs, 40'000);
        QCOMPARE(f.playback->skipHintSide(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(f.playback->skipHintSide() == 0, 10'000);
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
        QTRY_VERIFY(
            (off = findByName<QQuickItem>(f.harness.window().contentItem(), QStringLiteral("subtitleOff"))));
        QCOMPARE(accessibleName(off), QStringLiteral("Desactivar"));
    }

    void timeLabelsFollowTheEngine()
    {
        Fixture f({movie()});
        f.playerAt(3'725'000, 7'200'000);
        QCOMPARE(f.item("elapsedText")->property("text").toString(), QStringLiteral("1:02:05"));
        QCOMPARE(f.item("durationText")->property("text").toString(), QStringLiteral("2:00:00"));
        QCOMPARE(accessibleName(f.item("playPause")), QStringLiteral("Pausar"));
    }

    // The time labels keep their width as the digits change, also where the interface font's
    // digits are of different widths.
    void timeLabelsKeepTheirWidth()
    {
        const QString family = norvane::test::proportionalDigitsFamily();
        QVERIFY(!family.isEmpty());
        const QFont before = QGuiApplication::font();
        const auto restore = qScopeGuard([&] { QGuiApplication::setFont(before); });
        QGuiApplication::setFont(QFont(family));
        Fixture f({movie()});
        f.playerAt(71'000, 71'000);
        const qreal elapsed = f.item("elapsedText")->implicitWidth();
        const qreal duration = f.item("durationText")->implicitWidth();
        f.playerAt(0, 400'000);
        QCOMPARE(f.item("elapsedText")->property("text").toString(), QStringLiteral("0:00"));
        QCOMPARE(f.item("durationText")->property("text").toString(), QStringLiteral("6:40"));
        QCOMPARE(f.item("elapsedText")->implicitWidth(), elapsed);
        QCOMPARE(f.item("durationText")->implicitWidth(), duration);
    }

    // While the knob is held the elapsed label follows it and the engine is left alone; letting go
    // seeks once to where it was dropped.
    void seekBarDragSeeksOnRelease()
    {
        Fixture f({movie()});
        f.playerAt(60'000, 600'000);
        QQuickItem *bar = f.item("seekBar");
        QQuickWindow *window = bar->window();
        const auto at = [bar](double fraction) {
            return bar
                ->mapToScene(QPointF(bar->property("leftPadding").toReal() +
                                         fraction * bar->property("availableWidth").toReal(),
                                     bar->height() / 2))
                .toPoint();
        };
        QVERIFY(bar->height() >= 14); // a bar that can be grabbed
        QTest::mousePress(window, Qt::LeftButton, {}, at(0.25));
        QTest::mouseMove(window, at(0.4));
        QTest::mouseMove(window, at(0.5));
        QTRY_VERIFY(f.view->property("dragging").toBool());
        const double held = f.view->property("dragValue").toDouble();
        QVERIFY2(std::abs(held - 300'000) < 15'000, qPrintable(QString::number(held)));
        QCOMPARE(f.item("elapsedText")->property("text").toString(), PlayerText::timeText(qint64(held)));
        QCOMPARE(f.player->lastSeekMs, -1);
        f.cancelHide();
        QTest::mouseRelease(window, Qt::LeftButton, {}, at(0.5));
        QTRY_VERIFY(!f.view->property("dragging").toBool());
        QCOMPARE(f.player->lastSeekMs, qint32(std::llround(f.view->property("dragValue").toDouble())));
        QVERIFY(f.hidePending());

        // A screen reader sets the position: one seek, there.
        QAccessible::queryAccessibleInterface(bar)->valueInterface()->setCurrentValue(120'000);
        QCOMPARE(f.player->lastSeekMs, 120'000);
    }

    void upNextHidesTheControlsAndCounts()
    {
        Fixture f({episode(1), episode(2)});
        f.playerAt(595'000, 600'000);
        f.player->report(MediaPlayerBackend::Ended, false, 600'000);
        QTRY_VERIFY(f.model->showUpNext());
        QVERIFY(f.playback->controls()->showControls());
        QVERIFY(!f.controlsShown());
        QCOMPARE(f.item("nextSubtitleText")->property("text").toString(),
                 QStringLiteral("T1 · E2 · Capítulo"));
        QTRY_COMPARE(f.item("countdownText")->property("text").toString(),
                     QStringLiteral("Comienza en %1 segundos...").arg(f.model->upNextCountdown()));
        clickItem(f.item("upNextExitButton"));
        QVERIFY(!f.model->showUpNext());
    }

    void errorOverlayRetriesAtTheLastPosition()
    {
        Fixture f({movie()});
        f.playerAt(125'000, 600'000);
        f.player->report(MediaPlayerBackend::Error, false, 125'000);
        QCoreApplication::processEvents();
        QTRY_VERIFY(f.item("errorOverlay")->isVisible());
        // Read out, not only drawn: a screen reader hears why before "Reintentar".
        QCOMPARE(accessibleText(f.item("errorText")),
                 QStringLiteral("No se pudo reproducir este contenido.\nRevisa tu conexión a internet o "
                                "inténtalo de nuevo."));
        f.player->calls.clear();
        clickItem(f.item("retryButton"));
        QVERIFY(f.player->calls.contains(QStringLiteral("play")));
        QVERIFY(f.player->options.contains(QStringLiteral(":start-time=125")));
        QTRY_VERIFY(!f.item("errorOverlay")->isVisible());
        f.player->report(MediaPlayerBackend::Error, false, 0);
        QCoreApplication::processEvents();
        QTRY_VERIFY(f.item("errorOverlay")->isVisible());
        QSignalSpy closed(f.model.get(), &PlayerModel::closeRequested);
        clickItem(f.item("errorBackButton"));
        QCOMPARE(closed.count(), 1);
        QCOMPARE(f.engine->status(), VLCEngine::Status::Stopped);
    }

    void everyControlHasAName()
    {
        Fixture f({episode(1), episode(2)});
        QCOMPARE(unnamedControls(f.view), QStringList());
    }
};

NORVANE_TEST_MAIN(TestPlayerView)
#include "tst_playerview.moc"
