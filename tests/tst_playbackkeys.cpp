#include <QQuickItem>
#include <QQuickWindow>

#include "ControlsAutoHide.h"
#include "ItemInput.h"
#include "PlaybackKeys.h"
#include "QmlHarness.h"
#include "TestMain.h"
#include "WindowFullScreen.h"

using namespace norvane::test;
using Action = PlaybackKeys::Action;

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

} // namespace

// The keyboard rules of the video screens: the key map, which keys a screen gets, the controls a
// key shows, Return on a focused control, and the window's full screen.
class TestPlaybackKeys : public QObject
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

    // Leaving full screen gives the window back as it was before; so does a screen that goes
    // away in full screen. The desktop taking full screen away leaves nothing to leave.
    void windowFullScreenRestoresTheWindow_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("normal window") << false;
        QTest::newRow("maximised window") << true;
    }
    void windowFullScreenRestoresTheWindow()
    {
        QFETCH(bool, maximized);
        QQuickWindow window;
        window.resize(800, 600);
        if (maximized)
            window.showMaximized();
        else
            window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QWindow::Visibility before = window.visibility();
        QCOMPARE(before, maximized ? QWindow::Maximized : QWindow::Windowed);

        WindowFullScreen mode;
        mode.setWindow(&window);
        mode.enter();
        QVERIFY(mode.active());
        QCOMPARE(window.visibility(), QWindow::FullScreen);
        mode.leave();
        QVERIFY(!mode.active());
        QCOMPARE(window.visibility(), before);

        {
            WindowFullScreen gone;
            gone.setWindow(&window);
            gone.toggle();
            QCOMPARE(window.visibility(), QWindow::FullScreen);
        }
        QCOMPARE(window.visibility(), before);

        mode.enter();
        window.showNormal();
        QTRY_VERIFY(!mode.active());
    }
};

NORVANE_TEST_MAIN(TestPlaybackKeys)
#include "tst_playbackkeys.moc"
