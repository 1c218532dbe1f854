pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// A button that shows only a symbol; `label` is what assistive technology reads.
AbstractButton {
    id: button

    property string symbol
    property string label
    property real symbolSize: 22
    property color symbolColor: "white"

    hoverEnabled: true
    padding: 6
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: label

    FocusRing { }

    contentItem: SystemSymbol {
        name: button.symbol
        size: button.symbolSize
        color: button.symbolColor
    }

    background: Rectangle {
        radius: 8
        color: button.hovered ? Qt.rgba(1, 1, 1, 0.14) : "transparent"
    }
}
