pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// A live channel that cannot be played, over its picture: the text, "Reintentar" and "Volver".
// The failure takes the keyboard, so Return tries again.
Rectangle {
    id: box

    required property LivePlayback playback

    signal back()

    objectName: "errorBox"
    width: Math.min(parent.width - 48, errorColumn.implicitWidth + 56)
    height: errorColumn.implicitHeight + 48
    visible: playback.error !== ""
    radius: 14
    color: Qt.rgba(0, 0, 0, 0.75)
    onVisibleChanged: {
        if (visible)
            retryButton.forceActiveFocus()
    }

    ColumnLayout {
        id: errorColumn
        anchors.centerIn: parent
        width: parent.width - 56
        spacing: 18

        Text {
            objectName: "errorText"
            Layout.fillWidth: true
            text: box.playback.error
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
                onClicked: box.playback.retry()
            }

            BrandButton {
                objectName: "backButton"
                text: "Volver"
                onClicked: box.back()
            }
        }
    }
}
