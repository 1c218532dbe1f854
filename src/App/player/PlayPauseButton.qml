pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// Play/pause of every playing screen: a round button showing what pressing it does.
RoundButton {
    id: button

    required property PlaybackController playback
    property real diameter: 66

    objectName: "playPause"
    implicitWidth: diameter
    implicitHeight: diameter
    hoverEnabled: true
    Accessible.name: playback.playing ? "Pausar" : "Reproducir"
    Accessible.onPressAction: if (enabled) clicked()
    onClicked: playback.togglePause()

    contentItem: SystemSymbol {
        name: button.playback.playing ? "pause.fill" : "play.fill"
        size: button.diameter * 0.55
        color: "white"
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        radius: button.diameter / 2
        color: button.hovered ? Qt.rgba(0, 0, 0, 0.55) : Qt.rgba(0, 0, 0, 0.35)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.25)
    }

    FocusRing { radius: button.diameter / 2 + gap }
}
