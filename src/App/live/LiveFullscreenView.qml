pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// One live channel over the whole window, outside the live section (opened from the search
// results): spinner while connecting, "Reconectando…" while a dropped stream comes back, an error
// box with retry, and controls that hide after the connection attempt. close() is emitted once
// playback has been stopped. Keys: Space pauses, F or a double click puts the window in full
// screen, Escape restores it and then closes.
FocusScope {
    id: view

    required property xtreamClient client
    required property channelRow channel

    readonly property alias playback: controller
    readonly property bool failed: controller.error !== ""

    signal close()

    LiveFullscreenPlayback {
        id: controller
        client: view.client
        channel: view.channel
        keys.target: view
        windowMode.window: view.Window.window
        onClosed: view.close()
    }

    focus: true

    Component.onCompleted: controller.start()

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    VLCPlayerView {
        objectName: "videoView"
        anchors.fill: parent
    }

    LiveStreamStatus {
        anchors.centerIn: parent
        playback: controller
    }

    MouseArea {
        objectName: "videoMouse"
        anchors.fill: parent
        onClicked: controller.videoClicked()
        onDoubleClicked: controller.videoDoubleClicked()
    }

    LiveControlBar {
        objectName: "liveControls"
        anchors.fill: parent
        playback: controller
        backName: "Volver"
        onBack: controller.close()
    }

    LiveErrorBox {
        anchors.centerIn: parent
        playback: controller
        onBack: controller.close()
    }
}
