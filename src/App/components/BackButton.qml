pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// "Volver" at the top left of every section header; a click emits clicked().
AbstractButton {
    id: button

    readonly property bool hovering: hovered

    hoverEnabled: true
    leftPadding: 14
    rightPadding: 14
    topPadding: 8
    bottomPadding: 8
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: "Volver"

    FocusRing { }

    contentItem: Row {
        spacing: 4

        SystemSymbol {
            anchors.verticalCenter: parent.verticalCenter
            name: "chevron.left"
            size: TextStyle.body + 4
            font.weight: Font.DemiBold
            color: Brand.onBackground
        }

        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Volver"
            font.pixelSize: TextStyle.body
            color: Brand.onBackground
        }
    }

    background: Rectangle {
        radius: 8
        color: button.hovering ? Brand.surfaceVariant : Brand.surface
    }
}
