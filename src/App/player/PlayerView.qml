pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Window
import Norvane

// The full-window player of movies and episodes: the engine's picture, click zones (one click
// shows or hides the controls, a double click skips), auto-hiding controls, and the error and
// up-next overlays of the model. Everything goes through the controller, the model or the engine.
Rectangle {
    id: view

    required property PlayerModel model
    // The engine whose picture and state are shown (the shared one unless a test gives its own).
    property VLCEngine engine: VLCEngine

    readonly property alias playback: controller
    readonly property alias dragging: controls.dragging
    readonly property alias dragValue: controls.dragValue

    color: "black"
    Accessible.role: Accessible.Pane
    Accessible.name: "Reproductor"

    Component.onCompleted: {
        controller.start()
        // The playback keys count while the focus is inside the player.
        view.forceActiveFocus()
    }

    OnDemandPlayback {
        id: controller
        model: view.model
        engine: view.engine
        keys.target: view
        windowMode.window: view.Window.window
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
                onClicked: controller.zoneClicked()
                onDoubleClicked: controller.zoneDoubleClicked(modelData)
                Accessible.role: Accessible.Button
                Accessible.name: controller.skipName(modelData)
                Accessible.onPressAction: controller.skipWithHint(modelData)
            }
        }
    }

    Rectangle {
        id: hint
        objectName: "skipHint"
        // The side of the last hint, kept while it fades out.
        property int side: 1
        readonly property bool shown: controller.skipHintSide !== 0
        Connections {
            target: controller
            function onSkipHintChanged() {
                if (controller.skipHintSide !== 0)
                    hint.side = controller.skipHintSide
            }
        }
        visible: opacity > 0
        opacity: shown ? 1 : 0
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
            name: controller.skipSymbol(hint.side)
            size: 54
            color: "white"
        }
    }

    BusyIndicator {
        objectName: "bufferingSpinner"
        anchors.centerIn: parent
        width: 72
        height: 72
        running: controller.connecting
        visible: running
    }

    PlayerControls {
        id: controls
        anchors.fill: parent
        playback: controller
    }

    PlayerErrorOverlay {
        anchors.fill: parent
        playback: controller
    }

    UpNextCard {
        anchors.fill: parent
        model: view.model
    }
}
