pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// While a live stream connects, or a dropped one is started again: the spinner, over the
// channel's logo where the layout shows one, and "Reconectando…" under it while reconnecting.
Column {
    id: status

    required property LivePlayback playback
    // The channel's logo and its size; no logo when empty.
    property string logoUrl
    property real logoSize: 0

    visible: (playback.connecting || playback.reconnecting) && playback.error === ""
    spacing: 12

    Item {
        anchors.horizontalCenter: parent.horizontalCenter
        width: Math.max(72, status.logoSize)
        height: width

        ChannelLogo {
            objectName: "connectingLogo"
            anchors.centerIn: parent
            visible: status.logoSize > 0
            size: status.logoSize
            urlString: status.logoUrl
        }

        BusyIndicator {
            objectName: "connectingSpinner"
            anchors.centerIn: parent
            width: 72
            height: 72
            running: status.visible
        }
    }

    Text {
        objectName: "reconnectingText"
        anchors.horizontalCenter: parent.horizontalCenter
        visible: status.playback.reconnecting
        text: status.playback.reconnectingText
        color: "white"
        font.pixelSize: TextStyle.body
        style: Text.Outline
        styleColor: Qt.rgba(0, 0, 0, 0.6)
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }
}
