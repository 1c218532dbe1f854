pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// An icon-only button of the player's bars: a white symbol 36 px wide.
AbstractButton {
    id: button

    property string symbol
    property real size: TextStyle.title
    property string accessibleName

    implicitWidth: 36
    implicitHeight: 36
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: accessibleName

    contentItem: SystemSymbol {
        name: button.symbol
        size: button.size
        color: "white"
        opacity: button.down ? 0.6 : 1
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
