pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The error display of every loading screen: the failed request's message and "Reintentar",
// centred in the space it is given. The button emits action().
Item {
    id: box

    property string message

    signal action()

    implicitWidth: column.implicitWidth + 40
    implicitHeight: column.implicitHeight + 40

    ColumnLayout {
        id: column
        anchors.centerIn: parent
        width: Math.min(implicitWidth, box.width - 40)
        spacing: 10

        Text {
            objectName: "retryMessage"
            Layout.fillWidth: true
            Layout.maximumWidth: Math.max(0, box.width - 40)
            text: box.message
            color: Brand.secondaryText
            font.pixelSize: TextStyle.body
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        BrandButton {
            objectName: "retryButton"
            Layout.alignment: Qt.AlignHCenter
            text: "Reintentar"
            onClicked: box.action()
        }
    }
}
