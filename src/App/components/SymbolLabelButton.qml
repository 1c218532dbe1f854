pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// A push button with a symbol before its label, in the app's palette; its accessible name is
// the label.
AbstractButton {
    id: button

    property string symbol
    property bool prominent: false

    hoverEnabled: true
    leftPadding: 14
    rightPadding: 14
    topPadding: 7
    bottomPadding: 7
    font.pixelSize: TextStyle.body
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: text

    FocusRing { }

    contentItem: Row {
        spacing: 6

        SystemSymbol {
            anchors.verticalCenter: parent.verticalCenter
            name: button.symbol
            size: TextStyle.body + 3
            color: button.prominent ? Brand.onPrimary : Brand.primary
        }

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: button.text
            font: button.font
            color: button.prominent ? Brand.onPrimary : Brand.onBackground
        }
    }

    background: Rectangle {
        implicitHeight: 34
        radius: 8
        color: button.prominent ? (button.hovered ? Qt.lighter(Brand.primary, 1.1) : Brand.primary)
                                : (button.hovered ? Qt.lighter(Brand.surfaceVariant, 1.25) : Brand.surfaceVariant)
    }
}
