pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The player's error: the model's text with "Reintentar" (from the last position) and "Volver".
// It takes every click while it shows.
Rectangle {
    id: overlay

    required property PlayerModel model

    objectName: "errorOverlay"
    visible: overlay.model.playbackError !== ""
    color: Qt.rgba(0, 0, 0, 0.75)

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
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12

            BrandButton {
                objectName: "retryButton"
                text: "Reintentar"
                prominent: true
                onClicked: overlay.model.playCurrent(overlay.model.lastPositionMs)
            }

            BrandButton {
                objectName: "errorBackButton"
                text: "Volver"
                onClicked: overlay.model.close()
            }
        }
    }
}
