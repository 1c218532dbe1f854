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

    readonly property alias channelsModel: liveModel
    readonly property alias screenState: liveScreen
    readonly property alias playback: liveScreen.playback
    readonly property bool isFullscreen: liveModel.isFullscreen
    readonly property bool hasChannel: liveModel.selectedChannel !== undefined && liveModel.selectedChannel !== null

    signal back()

    ChannelsModel {
        id: liveModel
        client: view.client
    }

    ChannelsScreen {
        id: liveScreen
        model: liveModel
        playback.keys.target: view
        playback.windowMode.window: view.Window.window
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

        LiveStreamStatus {
            objectName: "connectingOverlay"
            anchors.centerIn: parent
            playback: view.playback
            logoSize: view.isFullscreen ? 120 : 90
            logoUrl: view.hasChannel ? liveModel.selectedChannel.iconURL : ""
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
            onClicked: view.playback.videoClicked()
            onDoubleClicked: view.playback.videoDoubleClicked()
        }
    }

    // Full-screen controls; the video takes the clicks that land between them.
    LiveControlBar {
        objectName: "fullscreenControls"
        anchors.fill: parent
        playback: view.playback
        backName: "Salir de pantalla completa"
        onBack: view.playback.exitFullscreen()

        IconButton {
            objectName: "exitFullscreen"
            symbol: "arrow.down.right.and.arrow.up.left"
            label: "Salir de pantalla completa"
            onClicked: view.playback.exitFullscreen()
        }
    }

    LiveErrorBox {
        anchors.centerIn: parent
        playback: view.playback
        visible: view.isFullscreen && view.playback.error !== ""
        onBack: view.playback.exitFullscreen()
    }

    PinSheet {
        objectName: "pinSheet"
        gate: liveScreen.pinGate
    }
}
