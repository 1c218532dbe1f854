pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The live TV section: categories, channels and the preview with its guide side by side, and
// one video that lies over the preview slot and grows to the whole screen, with on-screen
// controls there. The keyboard reaches everything: Tab and the arrows move, Return or Space
// press, Escape goes back (ChannelsScreen's keys), Page Up/Down zap.
FocusScope {
    id: view

    required property xtreamClient client
    // Tunable for tests.
    property int hideDelayMs: 4000
    property int fallbackWatchMs: 6000

    readonly property alias channelsModel: liveModel
    readonly property alias screenState: liveScreen
    readonly property bool isFullscreen: liveModel.isFullscreen
    readonly property bool hasChannel: liveModel.selectedChannel !== undefined && liveModel.selectedChannel !== null
    readonly property bool connecting: liveScreen.engine !== null
                                       && (liveScreen.engine.status === VLCEngine.Opening
                                           || liveScreen.engine.status === VLCEngine.Buffering)

    signal back()

    ChannelsModel {
        id: liveModel
        client: view.client
        fallbackWatchMs: view.fallbackWatchMs
    }

    ChannelsScreen {
        id: liveScreen
        model: liveModel
        controls.hideDelayMs: view.hideDelayMs
        keys.target: view
        windowMode.window: view.Window.window
        onBack: view.back()
    }

    focus: true
    // The panels under the full-screen video take no focus; leaving it, the keyboard is back on
    // the channel list.
    onIsFullscreenChanged: {
        if (!isFullscreen)
            Qt.callLater(channelPanel.focusList)
    }

    Component.onCompleted: liveModel.loadCategories()
    // The engine outlives the screen; what played here must not go on behind the next one.
    Component.onDestruction: liveScreen.stopPlayback()

    // The preview slot in this screen's coordinates. Every position on the way up is read, so the
    // rectangle follows any change of the layout (a resized window included).
    readonly property rect slotRect: {
        const slot = preview.slotItem
        let x = 0
        let y = 0
        for (let item = slot; item && item !== view; item = item.parent) {
            x += item.x
            y += item.y
        }
        return Qt.rect(x, y, slot.width, slot.height)
    }
    onSlotRectChanged: liveScreen.reportVideoSlot(slotRect)

    Rectangle {
        anchors.fill: parent
        color: Brand.background
    }

    SectionScaffold {
        anchors.fill: parent
        // The screen is inset 20 points on every side; the header brings 14 of them at the top.
        anchors.topMargin: 6
        title: "TV en vivo"
        enabled: !view.isFullscreen
        onBack: view.back()

        RowLayout {
            anchors.leftMargin: 20
            anchors.rightMargin: 20
            anchors.bottomMargin: 20
            spacing: 14

            CategoriesPanel {
                objectName: "categoriesPanel"
                Layout.preferredWidth: view.width * 0.22
                Layout.fillHeight: true
                section: liveModel
                screen: liveScreen
            }

            ChannelListPanel {
                id: channelPanel
                objectName: "channelListPanel"
                Layout.preferredWidth: view.width * 0.28
                Layout.fillHeight: true
                section: liveModel
                screen: liveScreen
            }

            PreviewPanel {
                id: preview
                objectName: "previewPanel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                section: liveModel
                screen: liveScreen
            }
        }
    }

    // The one video: over the preview slot, or over everything in full-screen.
    Rectangle {
        id: floating
        objectName: "floatingVideo"

        // 0 on the slot, 1 over the whole screen; animated so the frame moves and grows.
        property real grown: view.isFullscreen ? 1 : 0
        readonly property rect slot: liveScreen.videoSlot

        visible: view.hasChannel
        x: slot.x * (1 - grown)
        y: slot.y * (1 - grown)
        width: slot.width + (view.width - slot.width) * grown
        height: slot.height + (view.height - slot.height) * grown
        radius: 10 * (1 - grown)
        color: "black"
        Accessible.role: Accessible.Graphic
        Accessible.name: view.hasChannel ? liveModel.selectedChannel.name : ""

        Behavior on grown {
            NumberAnimation { duration: 220; easing.type: Easing.InOutQuad }
        }

        VLCPlayerView {
            id: video
            objectName: "videoView"
            anchors.fill: parent
            anchors.margins: floating.radius > 0 ? 1 : 0
        }

        Item {
            objectName: "connectingOverlay"
            anchors.centerIn: parent
            width: logo.width
            height: logo.height
            visible: view.connecting

            ChannelLogo {
                id: logo
                objectName: "connectingLogo"
                anchors.centerIn: parent
                size: view.isFullscreen ? 120 : 90
                urlString: view.hasChannel ? liveModel.selectedChannel.iconURL : ""
            }

            BusyIndicator {
                anchors.centerIn: parent
                width: 72
                height: 72
                running: parent.visible
            }
        }

        // Rounds the picture's corners with the slot: paints the screen's background just
        // outside the rounded frame, over the picture's square corners.
        Rectangle {
            readonly property real edge: 3
            anchors.fill: parent
            anchors.margins: -edge
            visible: floating.radius > 0
            radius: floating.radius + edge
            color: "transparent"
            border.width: edge + 1
            border.color: Brand.background
        }

        MouseArea {
            objectName: "videoMouse"
            anchors.fill: parent
            onClicked: liveScreen.videoClicked()
            onDoubleClicked: liveScreen.videoDoubleClicked()
        }
    }

    // Full-screen controls; the video takes the clicks that land between them.
    FocusScope {
        id: controlsLayer
        objectName: "fullscreenControls"
        anchors.fill: parent
        opacity: view.isFullscreen && liveScreen.controls.showControls ? 1 : 0
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
                    objectName: "exitFullscreenBack"
                    symbol: "chevron.left"
                    label: "Salir de pantalla completa"
                    onClicked: liveScreen.exitFullscreen()
                }

                Text {
                    Layout.fillWidth: true
                    text: view.hasChannel ? liveModel.selectedChannel.name : ""
                    color: "white"
                    font.pixelSize: TextStyle.headline
                    font.bold: true
                    elide: Text.ElideRight
                }

                BrandButton {
                    objectName: "fillButton"
                    text: liveScreen.engine && liveScreen.engine.fillScreen ? "Ajustar" : "Llenar"
                    onClicked: liveScreen.toggleFill()
                }

                VolumeControl {
                    objectName: "volumeControl"
                    engine: liveScreen.engine
                    onUsed: liveScreen.controls.showAndScheduleHide()
                }

                IconButton {
                    objectName: "windowFullScreen"
                    symbol: liveScreen.windowMode.active ? "arrow.down.right.and.arrow.up.left"
                                                         : "arrow.up.left.and.arrow.down.right"
                    label: liveScreen.windowMode.active ? "Restaurar ventana" : "Pantalla completa"
                    onClicked: liveScreen.toggleWindowFullScreen()
                }

                IconButton {
                    objectName: "exitFullscreen"
                    symbol: "arrow.down.right.and.arrow.up.left"
                    label: "Salir de pantalla completa"
                    onClicked: liveScreen.exitFullscreen()
                }
            }
        }

        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 36
            spacing: 40

            IconButton {
                objectName: "previousChannel"
                anchors.verticalCenter: parent.verticalCenter
                symbol: "backward.end.fill"
                symbolSize: 34
                label: "Canal anterior"
                onClicked: liveScreen.playAdjacent(-1)
            }

            RoundButton {
                id: playPause
                objectName: "playPause"
                width: 66
                height: 66
                hoverEnabled: true
                readonly property bool playing: liveScreen.engine !== null && liveScreen.engine.status === VLCEngine.Playing
                Accessible.name: playing ? "Pausar" : "Reproducir"
                Accessible.onPressAction: clicked()
                onClicked: liveScreen.togglePause()
                contentItem: SystemSymbol {
                    name: parent.playing ? "pause.fill" : "play.fill"
                    size: 36
                    color: "white"
                }
                background: Rectangle {
                    radius: 33
                    color: parent.hovered ? Qt.rgba(0, 0, 0, 0.55) : Qt.rgba(0, 0, 0, 0.35)
                    border.width: 1
                    border.color: Qt.rgba(1, 1, 1, 0.25)
                }

                FocusRing { radius: 33 + gap }
            }

            IconButton {
                objectName: "nextChannel"
                anchors.verticalCenter: parent.verticalCenter
                symbol: "forward.end.fill"
                symbolSize: 34
                label: "Canal siguiente"
                onClicked: liveScreen.playAdjacent(1)
            }
        }
    }

    PinSheet {
        objectName: "pinSheet"
        gate: liveScreen.pinGate
    }
}
