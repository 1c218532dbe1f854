pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The controls of both live layouts over the picture: the top bar (back, the channel, fill/fit,
// the volume, the window's full screen) and play/pause, between the channel buttons where there
// is a list to zap through. They come and go with the controller's controls; coming back, they
// take the keyboard unless one of them has it already.
FocusScope {
    id: bar

    required property LivePlayback playback
    // What the top bar's back arrow is called for a screen reader.
    property string backName
    // The layout's own top-bar buttons, after the volume.
    default property alias buttons: topBar.buttons

    signal back()

    opacity: playback.controlsShown ? 1 : 0
    visible: opacity > 0
    onVisibleChanged: {
        if (visible && !activeFocus)
            playPause.forceActiveFocus()
    }

    Behavior on opacity {
        NumberAnimation { duration: 200 }
    }

    PlaybackTopBar {
        id: topBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        playback: bar.playback
        title: bar.playback.channelName
        backName: bar.backName
        onBack: bar.back()

        BrandButton {
            objectName: "fillButton"
            text: bar.playback.fillText
            onClicked: bar.playback.toggleFill()
        }

        VolumeControl {
            objectName: "volumeControl"
            engine: bar.playback.engine
            onUsed: bar.playback.touched()
        }
    }

    // At the bottom between the channel buttons; alone, in the middle of the picture.
    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        y: bar.playback.canZap ? parent.height - height - 36 : (parent.height - height) / 2
        spacing: 40

        IconButton {
            objectName: "previousChannel"
            anchors.verticalCenter: parent.verticalCenter
            visible: bar.playback.canZap
            symbol: "backward.end.fill"
            symbolSize: 34
            label: "Canal anterior"
            onClicked: bar.playback.playAdjacent(-1)
        }

        PlayPauseButton {
            id: playPause
            playback: bar.playback
        }

        IconButton {
            objectName: "nextChannel"
            anchors.verticalCenter: parent.verticalCenter
            visible: bar.playback.canZap
            symbol: "forward.end.fill"
            symbolSize: 34
            label: "Canal siguiente"
            onClicked: bar.playback.playAdjacent(1)
        }
    }
}
