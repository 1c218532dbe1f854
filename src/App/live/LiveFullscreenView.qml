pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// One live channel over the whole window, outside the live section (opened from the search
// results): spinner while connecting, an error box with retry, and controls that hide after
// the connection attempt. close() is emitted once playback has been stopped. Keys: Space pauses,
// F or a double click puts the window in full screen, Escape restores it and then closes.
FocusScope {
    id: view

    required property xtreamClient client
    required property channelRow channel
    // Tunable for tests.
    property int watchMs: 6000
    property int hideDelayMs: 4000

    readonly property alias playback: playback
    readonly property bool connecting: playback.engine !== null
                                       && (playback.engine.status === VLCEngine.Opening
                                           || playback.engine.status === VLCEngine.Buffering)
    readonly property bool failed: playback.error.length > 0

    signal close()

    LiveFullscreenPlayback {
        id: playback
        client: view.client
        channel: view.channel
        watchMs: view.watchMs
        controls.hideDelayMs: view.hideDelayMs
        keys.target: view
        windowMode.window: view.Window.window
        onClosed: view.close()
    }

    focus: true

    Component.onCompleted: playback.start()

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    VLCPlayerView {
        objectName: "videoView"
        anchors.fill: parent
    }

    BusyIndicator {
        objectName: "connectingSpinner"
        anchors.centerIn: parent
        width: 72
        height: 72
        visible: view.connecting && !view.failed
        running: visible
    }

    MouseArea {
        objectName: "videoMouse"
        anchors.fill: parent
        onClicked: playback.controls.toggleControls()
        onDoubleClicked: playback.toggleWindowFullScreen()
    }

    FocusScope {
        id: controlsLayer
        objectName: "liveControls"
        anchors.fill: parent
        opacity: playback.controls.showControls && !view.failed ? 1 : 0
        visible: opacity > 0
        // Controls that come back take the keyboard unless one of them has it already.
        onVisibleChanged: {
            if (visible && !activeFocus)
                playPause.forceActiveFocus()
        }

        Behavior on opacity {
            NumberAnimation { duration: 200 }
        }

        Rectangle {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: topBar.implicitHeight + 32
            color: Qt.rgba(0, 0, 0, 0.5)

            RowLayout {
                id: topBar
                anchors.fill: parent
                anchors.margins: 16
                spacing: 14

                IconButton {
                    objectName: "closeButton"
                    symbol: "chevron.left"
                    label: "Volver"
                    onClicked: playback.close()
                }

                Text {
                    Layout.fillWidth: true
                    text: view.channel.name
                    color: "white"
                    font.pixelSize: TextStyle.headline
                    font.bold: true
                    elide: Text.ElideRight
                }

                BrandButton {
                    objectName: "fillButton"
                    text: playback.engine && playback.engine.fillScreen ? "Ajustar" : "Llenar"
                    onClicked: playback.toggleFill()
                }

                VolumeControl {
                    objectName: "volumeControl"
                    engine: playback.engine
                    onUsed: playback.controls.showAndScheduleHide()
                }

                IconButton {
                    objectName: "windowFullScreen"
                    symbol: playback.windowMode.active ? "arrow.down.right.and.arrow.up.left"
                                                       : "arrow.up.left.and.arrow.down.right"
                    label: playback.windowMode.active ? "Restaurar ventana" : "Pantalla completa"
                    onClicked: playback.toggleWindowFullScreen()
                }
            }
        }

        RoundButton {
            id: playPause
            objectName: "playPause"
            anchors.centerIn: parent
            width: 66
            height: 66
            hoverEnabled: true
            readonly property bool playing: playback.engine !== null && playback.engine.status === VLCEngine.Playing
            Accessible.name: playing ? "Pausar" : "Reproducir"
            Accessible.onPressAction: clicked()
            onClicked: playback.togglePause()
            contentItem: SystemSymbol {
                name: parent.playing ? "pause.fill" : "play.fill"
                size: 36
                color: "white"
            }
            background: Rectangle {
                radius: 33
                color: parent.hovered ? Qt.rgba(0, 0, 0, 0.55) : Qt.rgba(0, 0, 0, 0.35)
            }

            FocusRing { radius: 33 + gap }
        }
    }

    Rectangle {
        objectName: "errorBox"
        anchors.centerIn: parent
        width: Math.min(parent.width - 48, errorColumn.implicitWidth + 56)
        height: errorColumn.implicitHeight + 48
        visible: view.failed
        radius: 14
        // The failure takes the keyboard: Return tries again.
        onVisibleChanged: {
            if (visible)
                retryButton.forceActiveFocus()
        }
        color: Qt.rgba(0, 0, 0, 0.75)

        ColumnLayout {
            id: errorColumn
            anchors.centerIn: parent
            width: parent.width - 56
            spacing: 18

            Text {
                objectName: "errorText"
                Layout.fillWidth: true
                text: playback.error
                color: "white"
                font.pixelSize: TextStyle.body
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 12

                BrandButton {
                    id: retryButton
                    objectName: "retryButton"
                    text: "Reintentar"
                    prominent: true
                    onClicked: playback.play()
                }

                BrandButton {
                    objectName: "backButton"
                    text: "Volver"
                    onClicked: playback.close()
                }
            }
        }
    }
}
