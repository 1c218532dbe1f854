pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import Norvane

// The full-window player of movies and episodes: the engine's picture, click zones (one click
// shows or hides the controls, a double click skips 10 s), auto-hiding controls, and the error
// and up-next overlays of the model. Everything goes through the model or the engine.
Rectangle {
    id: view

    required property PlayerModel model
    // The engine whose picture and state are shown (the shared one unless a test gives its own).
    property VLCEngine engine: VLCEngine
    // How long the controls stay after the last use, and how long a skip hint shows.
    property alias hideDelayMs: autoHide.hideDelayMs
    property int skipHintMs: 700

    property alias showControls: autoHide.showControls
    readonly property alias dragging: controls.dragging
    readonly property alias dragValue: controls.dragValue
    // { side: -1 | 1, id: n } while a skip hint is on screen.
    property var skipHint: null

    readonly property bool isBuffering: engine.status === VLCEngine.Opening || engine.status === VLCEngine.Buffering
    readonly property bool controlsShown: showControls && !model.showUpNext

    function scheduleHide() {
        autoHide.scheduleHide()
    }

    function toggleControls() {
        autoHide.toggleControls()
    }

    // After every control of the bottom bar: keep the controls 4 s more.
    function touched() {
        autoHide.showAndScheduleHide()
    }

    function skipBy(side) {
        model.skip(side * 10)
        skipHint = { side: side, id: (skipHint ? skipHint.id : 0) + 1 }
        hintClear.createObject(view)
    }

    color: "black"
    Accessible.role: Accessible.Pane
    Accessible.name: "Reproductor"

    Component.onCompleted: {
        model.playCurrent(model.currentItem.startTimeMs)
        scheduleHide()
        // The playback keys count while the focus is inside the player.
        view.forceActiveFocus()
    }
    Component.onDestruction: windowMode.leave()

    PlaybackKeys {
        target: view
        transport: true
        controls: autoHide
        onPlayPause: view.engine.togglePause()
        onSkip: seconds => view.skipBy(Math.sign(seconds))
        onChangeVolume: delta => view.engine.changeVolume(delta)
        onToggleMute: view.engine.toggleMute()
        onToggleFullScreen: windowMode.toggle()
        onBack: {
            if (windowMode.active)
                windowMode.leave()
            else
                view.model.close()
        }
    }

    // The window's own full screen, restored as it was when the player goes.
    WindowFullScreen {
        id: windowMode
        window: view.Window.window
    }

    // One per hint: clears whatever hint is shown when it fires, then goes away.
    Component {
        id: hintClear
        Timer {
            id: clearTimer
            interval: view.skipHintMs
            running: true
            onTriggered: {
                view.skipHint = null
                clearTimer.destroy()
            }
        }
    }

    ControlsAutoHide {
        id: autoHide
        objectName: "autoHide"
    }

    VLCPlayerView {
        objectName: "videoView"
        anchors.fill: parent
        color: "black"
    }

    Row {
        anchors.fill: parent

        Repeater {
            model: [-1, 1]

            MouseArea {
                required property int modelData
                objectName: modelData < 0 ? "zoneLeft" : "zoneRight"
                width: view.width / 2
                height: view.height
                // A single click waits for the double-click interval so that a skip does not
                // also toggle the controls.
                onClicked: singleClick.restart()
                onDoubleClicked: {
                    singleClick.stop()
                    view.skipBy(modelData)
                }
                Accessible.role: Accessible.Button
                Accessible.name: modelData < 0 ? "Retroceder 10 segundos" : "Avanzar 10 segundos"

                Timer {
                    id: singleClick
                    interval: Qt.styleHints.mouseDoubleClickInterval
                    onTriggered: view.toggleControls()
                }
            }
        }
    }

    Item {
        id: hintLayer
        anchors.fill: parent

        Rectangle {
            objectName: "skipHint"
            readonly property int side: view.skipHint ? view.skipHint.side : 1
            visible: opacity > 0
            opacity: view.skipHint ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 150 } }
            width: hintSymbol.implicitWidth + 56
            height: width
            radius: width / 2
            color: Qt.rgba(0, 0, 0, 0.35)
            anchors.verticalCenter: parent.verticalCenter
            x: side < 0 ? 60 : parent.width - width - 60

            SystemSymbol {
                id: hintSymbol
                anchors.centerIn: parent
                name: parent.side < 0 ? "gobackward.10" : "goforward.10"
                size: 54
                color: "white"
            }
        }
    }

    BusyIndicator {
        objectName: "bufferingSpinner"
        anchors.centerIn: parent
        width: 72
        height: 72
        running: view.isBuffering
        visible: running
    }

    PlayerControls {
        id: controls
        anchors.fill: parent
        model: view.model
        engine: view.engine
        shown: view.controlsShown
        onTouched: view.touched()
    }

    PlayerErrorOverlay {
        anchors.fill: parent
        model: view.model
    }

    UpNextCard {
        anchors.fill: parent
        model: view.model
    }
}
