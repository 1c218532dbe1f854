pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The player's error: the model's text with "Reintentar" (from the last position) and "Volver".
// It takes every click, and the keyboard, while it shows.
Rectangle {
    id: overlay

    required property OnDemandPlayback playback
    readonly property PlayerModel model: playback.model

    objectName: "errorOverlay"
    visible: overlay.model.playbackError !== ""
    color: Qt.rgba(0, 0, 0, 0.75)
    onVisibleChanged: {
        if (visible)
            retryButton.forceActiveFocus()
    }

    // Swallows clicks so that the zones below do not react.
    MouseArea { anchors.fill: parent }

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(implicitWidth, parent.width - 64)
        spacing: 16

        Text {
            objectName: "errorText"
            Layout.fillWidth: true
            text: overlay.model.playbackError
            color: "white"
            font.pixelSize: TextStyle.body
            wrapMode: Text.WordWrap
            horizontalAlignment: Text.AlignHCenter
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
                onClicked: overlay.playback.retry()
            }

            BrandButton {
                objectName: "errorBackButton"
                text: "Volver"
                onClicked: overlay.model.close()
            }
        }
    }
}
