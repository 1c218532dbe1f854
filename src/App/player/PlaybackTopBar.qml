pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The top bar of every playing screen: the way back, the title with an optional second line, the
// screen's own buttons, and the window's full-screen button.
Rectangle {
    id: bar

    required property PlaybackController playback
    property string title
    property string subtitle
    // What the back arrow is called for a screen reader.
    property string backName
    // The screen's own buttons, between the titles and the full-screen button.
    default property alias buttons: buttonRow.data

    signal back()

    objectName: "topBar"
    implicitHeight: row.implicitHeight + 32
    color: Qt.rgba(0, 0, 0, 0.5)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.margins: 16
        spacing: 14

        IconButton {
            objectName: "closeButton"
            symbol: "chevron.left"
            label: bar.backName
            onClicked: bar.back()
        }

        ColumnLayout {
            spacing: 2
            Layout.fillWidth: true

            Text {
                objectName: "titleText"
                Layout.fillWidth: true
                text: bar.title
                color: "white"
                font.pixelSize: TextStyle.headline
                font.bold: true
                elide: Text.ElideRight
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            Text {
                objectName: "subtitleText"
                Layout.fillWidth: true
                visible: bar.subtitle !== ""
                text: bar.subtitle
                color: Qt.rgba(1, 1, 1, 0.8)
                font.pixelSize: TextStyle.caption
                elide: Text.ElideRight
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }

        RowLayout {
            id: buttonRow
            spacing: 14
        }

        IconButton {
            objectName: "windowFullScreen"
            symbol: bar.playback.windowMode.active ? "arrow.down.right.and.arrow.up.left"
                                                   : "arrow.up.left.and.arrow.down.right"
            label: bar.playback.windowMode.active ? "Restaurar ventana" : "Pantalla completa"
            onClicked: bar.playback.toggleWindowFullScreen()
        }
    }
}
