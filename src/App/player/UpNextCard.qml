pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The card between two episodes: what comes next, the countdown, "Ver ahora" and "Salir".
// It takes every click while it shows.
Rectangle {
    id: card

    required property PlayerModel model

    objectName: "upNextOverlay"
    visible: card.model.showUpNext
    color: Qt.rgba(0, 0, 0, 0.75)

    MouseArea { anchors.fill: parent }

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(implicitWidth, parent.width - 64)
        spacing: 14

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: "A continuación"
            color: "white"
            font.pixelSize: TextStyle.title
            font.bold: true
        }

        Text {
            objectName: "nextSubtitleText"
            Layout.alignment: Qt.AlignHCenter
            visible: card.model.nextSubtitle !== ""
            text: card.model.nextSubtitle
            color: Qt.rgba(1, 1, 1, 0.9)
            font.pixelSize: TextStyle.body
        }

        Text {
            objectName: "countdownText"
            Layout.alignment: Qt.AlignHCenter
            text: PlayerText.countdownText(card.model.upNextCountdown)
            color: Qt.rgba(1, 1, 1, 0.8)
            font.pixelSize: TextStyle.body
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12

            BrandButton {
                objectName: "playNowButton"
                text: "Ver ahora"
                prominent: true
                onClicked: card.model.upNextPlayNow()
            }

            BrandButton {
                objectName: "upNextExitButton"
                text: "Salir"
                onClicked: card.model.upNextCancel()
            }
        }
    }
}
