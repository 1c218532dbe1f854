#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "ItemInput.h"
#include "QmlHarness.h"
#include "ScriptedPlayback.h"
#include "TestMain.h"
#include "live/ChannelsModel.h"
#include "live/ChannelsPlayback.h"
#include "live/LiveFullscreenPlayback.h"
#include "live/LiveStreamAttempt.h"
#include "player/ControlsAutoHide.h"
#include "player/OnDemandPlayback.h"
#include "player/PlaybackKeys.h"
#include "player/WindowFullScreen.h"
#include "storage/FavoritesStore.h"

using namespace norvane::test;
using Action = PlaybackKeys::Action;
using State = MediaPlayerBackend::State;

namespace {

// A screen (the target) with a button and a text field, a control outside it, and keys that
// log the actions the screen listens to (not the volume ones).
const QByteArray screenQml = R"(
import QtQuick
import QtQuick.Controls
import Norvane
Item {
    width: 600; height: 400
    property string log: ""
    property alias keys: keys
    property alias autoHide: autoHide
    Item {
        id: view
        objectName: "view"
        width: 600; height: 300
        focus: true
        BrandButton { objectName: "button"; text: "Botón"; property int clicks: 0; onClicked: clicks++ }
        TextField { objectName: "field"; x: 200; Accessible.name: "Campo" }
    }
    BrandButton { objectName: "outside"; y: 320; text: "Fuera" }
    ControlsAutoHide { id: autoHide; hideDelayMs: 600000; showControls: false }
    PlaybackKeys {
        id: keys
        target: view
        controls: autoHide
        onPlayPause: log += "pause;"
        onSkip: seconds => log += "skip " + seconds + ";"
        onBack: log += "back;"
    }
}
)";

// The three playing screens' controllers.
enum class Screen { Player, LiveView, Section };
// What the screen shows besides its picture.
enum class Shown { Picture, Error, UpNext, Layout };

constexpr int neverMs = 600'000;

XtreamClient unusedClient()
{
    return XtreamClient(QStringLiteral("http://127.0.0.1:1/"), QStringLiteral("u"), QStringLiteral("p"));
}

PlayableItem episode(int number)
{
    const QString id = QString::number(number);
    return PlayableItem(QStringLiteral("Serie"), QStringLiteral("E") + id,
                        QStringLiteral("http://127.0.0.1:1/series/u/p/") + id + ".mp4",
                        QStringLiteral("series:1:ep:") + id, ContentType::Series, QStringLiteral("1"),
                        std::nullopt, 0);
}

// One controller on a scripted engine, its keys on a window's content, with the screen's model:
// a two-episode queue for the player, a channel list for the section, one channel for the view.
struct Bench : ScriptedPlayback
{
    explicit Bench(Screen screen)
        : ScriptedPlayback({episode(1), episode(2)}, neverMs),
          favorites(dir.filePath(QStringLiteral("favorites.json")))
    {
        window.resize(640, 360);
        switch (screen) {
        case Screen::Player: {
            auto *player = new OnDemandPlayback(&window);
            player->setEngine(engine.get());
            player->setModel(model.get());
            player->start();
            controller = player;
            break;
        }
        case Screen::LiveView: {
            auto *view = new LiveFullscreenPlayback(engine.get(), &window);
            view->setClient(unusedClient());
            view->setChannel(channel);
            view->stream()->setWatchMs(1);
            view->stream()->setReconnectWaitMs(1);
            view->start();
            // The attempt is over once the hide is scheduled.
            QTRY_VERIFY(view->controls()->hidePending());
            controller = view;
            break;
        }
        case Screen::Section: {
            channels = std::make_unique<ChannelsModel>(engine.get(), &favorites);
            channels->setClient(unusedClient());
            channels->setFallbackWatchMs(1);
            channels->stream()->setReconnectWaitMs(1);
            channels->select(channel);
            auto *section = new ChannelsPlayback(&window);
            section->setEngine(engine.get());
            section->setModel(channels.get());
            controller = section;
            break;
        }
        }
        controller->keys()->setTarget(window.contentItem());
        controller->windowMode()->setWindow(&window);
        controller->controls()->setHideDelayMs(neverMs);
    }

    // Playing the screen's item, with the given extra on screen.
    void show(Shown shown)
    {
        playerAt(60'000, 600'000);
        if (shown == Shown::Layout)
            qobject_cast<ChannelsPlayback *>(controller)->enterFullscreen();
        if (shown == Shown::UpNext) {
            playerAt(600'000, 600'000);
            playerAt(600'000, 600'000, State::Ended);
            QTRY_VERIFY(model->showUpNext());
        }
        if (shown == Shown::Error) {
            // Live: the m3u8 and then the ts fail their watch; the player: the stream fails.
            for (int i = 0; i < 2 && !failing(); ++i) {
                player->report(State::Error, false);
                QTest::qWait(20);
            }
            QTRY_VERIFY(failing());
        }
        player->calls.clear();
    }
    bool failing() const
    {
        if (auto *live = qobject_cast<LivePlayback *>(controller))
            return !live->error().isEmpty();
        return !model->playbackError().isEmpty();
    }
    bool press(int key) { return controller->keys()->press(key); }

    FavoritesStore favorites;
    std::unique_ptr<ChannelsModel> channels;
    const ChannelRow channel{QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("Siete"), std::nullopt};
    QQuickWindow window;
    PlaybackController *controller = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(Screen)
Q_DECLARE_METATYPE(Shown)

// The rules every playing screen shares: the key map, which keys reach a screen, what a key does
// in each state of each screen, Escape's order, the controls' timing and the window's full screen.
class TestPlaybackController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void keyMap_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("transport");
        QTest::addColumn<Action>("action");
        const int none = Qt::NoModifier;
        QTest::newRow("Space pauses") << int(Qt::Key_Space) << none << false << true << Action::PlayPause;
        QTest::newRow("Space presses a row in the live lists")
            << int(Qt::Key_Space) << none << true << false << Action::NoAction;
        QTest::newRow("Left skips back") << int(Qt::Key_Left) << none << false << true << Action::SkipBack;
        QTest::newRow("Right skips forward")
            << int(Qt::Key_Right) << none << false << true << Action::SkipForward;
        QTest::newRow("no seeking in live") << int(Qt::Key_Right) << none << true << true << Action::NoAction;
        QTest::newRow("Up raises the volume") << int(Qt::Key_Up) << none << true << true << Action::VolumeUp;
        QTest::newRow("keypad Down lowers it")
            << int(Qt::Key_Down) << int(Qt::KeypadModifier) << false << true << Action::VolumeDown;
        QTest::newRow("Down moves through a live list")
            << int(Qt::Key_Down) << none << true << false << Action::NoAction;
        QTest::newRow("M mutes anywhere") << int(Qt::Key_M) << none << true << false << Action::ToggleMute;
        QTest::newRow("F full screen anywhere")
            << int(Qt::Key_F) << none << true << false << Action::ToggleFullScreen;
        QTest::newRow("Escape goes back") << int(Qt::Key_Escape) << none << true << false << Action::Back;
        QTest::newRow("Page Up: previous channel")
            << int(Qt::Key_PageUp) << none << true << false << Action::PreviousChannel;
        QTest::newRow("Page Down: next channel")
            << int(Qt::Key_PageDown) << none << true << true << Action::NextChannel;
        QTest::newRow("channel +: next channel")
            << int(Qt::Key_ChannelUp) << none << true << true << Action::NextChannel;
        QTest::newRow("channel -: previous channel")
            << int(Qt::Key_ChannelDown) << none << true << true << Action::PreviousChannel;
        QTest::newRow("no channels in the player")
            << int(Qt::Key_PageDown) << none << false << true << Action::NoAction;
        QTest::newRow("Ctrl+F is the desktop's")
            << int(Qt::Key_F) << int(Qt::ControlModifier) << false << true << Action::NoAction;
        QTest::newRow("other keys do nothing")
            << int(Qt::Key_Tab) << none << false << true << Action::NoAction;
    }
    void keyMap()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, live);
        QFETCH(bool, transport);
        QFETCH(Action, action);
        QCOMPARE(PlaybackKeys::actionFor(key, Qt::KeyboardModifiers(modifiers), live, transport), action);
    }

    // Space reaches the screen before the focused button; Return presses the button; keys the
    // screen does not listen to, typing into a field and keys while the focus is elsewhere pass.
    void keysReachTheScreenThatHasTheFocus()
    {
        QmlHarness harness;
        QObject *root = createShown(harness, screenQml);
        QVERIFY(root);
        QQuickWindow *window = &harness.window();
        auto *button = findByName<QQuickItem>(root, QStringLiteral("button"));
        const auto log = [&] { return root->property("log").toString(); };

        button->forceActiveFocus(Qt::TabFocusReason);
        QTest::keyClick(window, Qt::Key_Space);
        QTest::keyClick(window, Qt::Key_Right);
        QTest::keyClick(window, Qt::Key_Up); // volume: not listened to here
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(log(), QStringLiteral("pause;skip 10;back;"));
        QCOMPARE(button->property("clicks").toInt(), 0);
        QTest::keyClick(window, Qt::Key_Return);
        QTest::keyClick(window, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(button->property("clicks").toInt(), 2);

        auto *field = findByName<QQuickItem>(root, QStringLiteral("field"));
        field->forceActiveFocus();
        QTest::keyClick(window, Qt::Key_Space);
        QCOMPARE(field->property("text").toString(), QStringLiteral(" "));

        findByName<QQuickItem>(root, QStringLiteral("outside"))->forceActiveFocus();
        QTest::keyClick(window, Qt::Key_Escape);
        findByName<QQuickItem>(root, QStringLiteral("view"))->forceActiveFocus();
        findByName<QQuickItem>(root, QStringLiteral("view"))->setVisible(false);
        QTest::keyClick(window, Qt::Key_Escape);
        QCOMPARE(log(), QStringLiteral("pause;skip 10;back;"));
    }

    // Any key brings hidden controls back with a new delay and restarts a pending one; controls
    // held without a pending hide stay held. Without the transport keys the controls are left alone.
    void keyShowsTheControls_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("transport");
        QTest::addColumn<bool>("shownAfter");
        QTest::addColumn<bool>("pendingAfter");
        QTest::newRow("hidden") << false << false << true << true << true;
        QTest::newRow("shown, hiding") << true << true << true << true << true;
        QTest::newRow("held") << true << false << true << true << false;
        QTest::newRow("section keys") << false << false << false << false << false;
    }
    void keyShowsTheControls()
    {
        QFETCH(bool, shown);
        QFETCH(bool, pending);
        QFETCH(bool, transport);
        QFETCH(bool, shownAfter);
        QFETCH(bool, pendingAfter);
        QmlHarness harness;
        QObject *root = createShown(harness, screenQml);
        QVERIFY(root);
        auto *keys = root->property("keys").value<PlaybackKeys *>();
        auto *controls = root->property("autoHide").value<ControlsAutoHide *>();
        keys->setTransport(transport);
        controls->setShowControls(shown);
        if (pending)
            controls->scheduleHide();
        QTest::keyClick(&harness.window(), Qt::Key_Tab);
        QCOMPARE(controls->showControls(), shownAfter);
        QCOMPARE(controls->hidePending(), pendingAfter);
    }

    // Play/pause by key in each state of each screen: a failed or ended item, or one under the
    // up-next card, is never started again behind what the screen says; in the section the key
    // belongs to the lists until the video fills the screen.
    void spaceInEachState_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<Shown>("shown");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QStringList>("calls");
        const QStringList pause{QStringLiteral("pause")};
        const QStringList play{QStringLiteral("play")};
        QTest::newRow("player, playing") << Screen::Player << Shown::Picture << true << pause;
        QTest::newRow("player, paused") << Screen::Player << Shown::Picture << false << play;
        QTest::newRow("player's error") << Screen::Player << Shown::Error << false << QStringList();
        QTest::newRow("up-next card") << Screen::Player << Shown::UpNext << false << QStringList();
        QTest::newRow("live view, playing") << Screen::LiveView << Shown::Picture << true << pause;
        QTest::newRow("live view's error") << Screen::LiveView << Shown::Error << false << QStringList();
        QTest::newRow("section's lists") << Screen::Section << Shown::Picture << true << QStringList();
        QTest::newRow("section, full screen") << Screen::Section << Shown::Layout << true << pause;
    }
    void spaceInEachState()
    {
        QFETCH(Screen, screen);
        QFETCH(Shown, shown);
        QFETCH(bool, playing);
        QFETCH(QStringList, calls);
        Bench bench(screen);
        bench.show(shown);
        bench.player->playing = playing;
        bench.press(Qt::Key_Space);
        QCOMPARE(bench.player->calls, calls);
        QCOMPARE(bench.controller->canTogglePause(), !calls.isEmpty() || screen == Screen::Section);
    }

    // Escape and the back arrows leave one step at a time: the window's full screen, then the
    // section's full-screen layout, then the screen itself.
    void escapeOrder_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<bool>("windowFull");
        QTest::addColumn<bool>("layout");
        QTest::addColumn<QString>("left");
        QTest::newRow("player in full screen") << Screen::Player << true << false << "window";
        QTest::newRow("player") << Screen::Player << false << false << "screen";
        QTest::newRow("live view in full screen") << Screen::LiveView << true << false << "window";
        QTest::newRow("live view") << Screen::LiveView << false << false << "screen";
        QTest::newRow("section in full screen") << Screen::Section << true << true << "window";
        QTest::newRow("section's layout") << Screen::Section << false << true << "layout";
        QTest::newRow("section") << Screen::Section << false << false << "screen";
    }
    void escapeOrder()
    {
        QFETCH(Screen, screen);
        QFETCH(bool, windowFull);
        QFETCH(bool, layout);
        QFETCH(QString, left);
        Bench bench(screen);
        bench.show(layout ? Shown::Layout : Shown::Picture);
        bench.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bench.window));
        if (windowFull)
            bench.controller->toggleWindowFullScreen();
        QCOMPARE(bench.window.visibility(), windowFull ? QWindow::FullScreen : QWindow::Windowed);
        QSignalSpy closed(bench.model.get(), &PlayerModel::closeRequested);
        auto *live = qobject_cast<LiveFullscreenPlayback *>(bench.controller);
        auto *section = qobject_cast<ChannelsPlayback *>(bench.controller);
        int screenLeft = 0;
        if (live)
            connect(live, &LiveFullscreenPlayback::closed, this, [&] { ++screenLeft; });
        if (section)
            connect(section, &ChannelsPlayback::sectionBack, this, [&] { ++screenLeft; });

        QVERIFY(bench.press(Qt::Key_Escape));
        screenLeft += int(closed.count());
        QCOMPARE(bench.window.visibility() != QWindow::FullScreen, true);
        QCOMPARE(screenLeft, left == QLatin1String("screen") ? 1 : 0);
        if (section)
            QCOMPARE(section->isFullscreen(), left == QLatin1String("window"));
        if (left == QLatin1String("screen") && live)
            QCOMPARE(bench.engine->status(), VLCEngine::Status::Stopped);
    }

    // When a screen schedules the controls' hide: the player when it opens, a double click into
    // the section's layout; not "Reproducir", which holds them until the first use. Every
    // control restarts the delay; what the screen shows instead sets them aside.
    void controlsTiming_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("pending");
        QTest::addColumn<bool>("onScreen");
        QTest::newRow("player opens") << Screen::Player << "none" << true << true;
        QTest::newRow("double click into the layout") << Screen::Section << "double click" << true << true;
        QTest::newRow("Reproducir") << Screen::Section << "enter" << false << true;
        QTest::newRow("section's preview") << Screen::Section << "none" << false << false;
        QTest::newRow("fill") << Screen::LiveView << "fill" << true << true;
        QTest::newRow("pause") << Screen::Player << "pause" << true << true;
        QTest::newRow("window full screen") << Screen::Player << "window" << true << true;
        QTest::newRow("up-next card") << Screen::Player << "up next" << true << false;
        QTest::newRow("live error") << Screen::LiveView << "error" << false << false;
    }
    void controlsTiming()
    {
        QFETCH(Screen, screen);
        QFETCH(QString, action);
        QFETCH(bool, pending);
        QFETCH(bool, onScreen);
        Bench bench(screen);
        bench.show(Shown::Picture);
        ControlsAutoHide *controls = bench.controller->controls();
        if (screen != Screen::Player)
            controls->cancelHide();
        auto *section = qobject_cast<ChannelsPlayback *>(bench.controller);
        if (action == QLatin1String("double click"))
            section->videoDoubleClicked();
        else if (action == QLatin1String("enter"))
            section->enterFullscreen();
        else if (action == QLatin1String("fill"))
            bench.controller->toggleFill();
        else if (action == QLatin1String("pause"))
            bench.controller->togglePause();
        else if (action == QLatin1String("window"))
            bench.controller->toggleWindowFullScreen();
        else if (action == QLatin1String("up next"))
            bench.show(Shown::UpNext);
        else if (action == QLatin1String("error"))
            bench.show(Shown::Error);
        QCOMPARE(controls->hidePending(), pending);
        QCOMPARE(bench.controller->controlsShown(), onScreen);

        // The delay, shortened: the controls go, a click brings them back with a new delay, and a
        // second click before it hides them at once.
        if (!onScreen)
            return;
        controls->setHideDelayMs(20);
        controls->scheduleHide();
        QTRY_VERIFY(!bench.controller->controlsShown());
        controls->setHideDelayMs(neverMs);
        controls->toggleControls();
        QVERIFY(bench.controller->controlsShown());
        QVERIFY(controls->hidePending());
        controls->toggleControls();
        QVERIFY(!bench.controller->controlsShown());
        QVERIFY(!controls->hidePending());
    }

    // Every playing screen puts the window in full screen and gives it back as it was; from the
    // section's preview it goes through the full-screen layout, and only with a channel; a screen
    // that goes away gives the window back too.
    void windowFullScreen_data()
    {
        QTest::addColumn<Screen>("screen");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("player, normal window") << Screen::Player << false;
        QTest::newRow("player, maximised window") << Screen::Player << true;
        QTest::newRow("live view") << Screen::LiveView << false;
        QTest::newRow("section's preview") << Screen::Section << true;
    }
    void windowFullScreen()
    {
        QFETCH(Screen, screen);
        QFETCH(bool, maximized);
        Bench bench(screen);
        bench.show(Shown::Picture);
        if (maximized)
            bench.window.showMaximized();
        else
            bench.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bench.window));
        const QWindow::Visibility before = bench.window.visibility();

        QVERIFY(bench.press(Qt::Key_F));
        QCOMPARE(bench.window.visibility(), QWindow::FullScreen);
        QVERIFY(bench.controller->windowMode()->active());
        if (auto *section = qobject_cast<ChannelsPlayback *>(bench.controller))
            QVERIFY(section->isFullscreen());
        bench.controller->toggleWindowFullScreen();
        QCOMPARE(bench.window.visibility(), before);

        bench.controller->toggleWindowFullScreen();
        QCOMPARE(bench.window.visibility(), QWindow::FullScreen);
        delete bench.controller;
        QCOMPARE(bench.window.visibility(), before);

        // The desktop taking full screen away leaves nothing to leave.
        WindowFullScreen mode;
        mode.setWindow(&bench.window);
        mode.enter();
        bench.window.showNormal();
        QTRY_VERIFY(!mode.active());
    }

    // No channel in the preview: neither F nor the button fills anything.
    void sectionWithoutAChannelStaysInPlace()
    {
        ScriptedEngine scripted;
        QTemporaryDir dir;
        FavoritesStore favorites(dir.filePath(QStringLiteral("favorites.json")));
        ChannelsModel channels(scripted.engine.get(), &favorites);
        QQuickWindow window;
        ChannelsPlayback section;
        section.setEngine(scripted.engine.get());
        section.setModel(&channels);
        section.windowMode()->setWindow(&window);
        section.toggleWindowFullScreen();
        QVERIFY(!section.isFullscreen());
        QVERIFY(!section.windowMode()->active());
    }
};

NORVANE_TEST_MAIN(TestPlaybackController)
#include "tst_playbackcontroller.moc"
