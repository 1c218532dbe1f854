pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// A standard push button in the app's palette: raised surface by default, filled with the
// primary colour when prominent, red text when destructive. Its accessible name is its text.
Button {
    id: button

    property bool prominent: false
    property bool destructive: false

    hoverEnabled: true
    leftPadding: 16
    rightPadding: 16
    topPadding: 8
    bottomPadding: 8
    font.pixelSize: TextStyle.body
    font.weight: prominent ? Font.DemiBold : Font.Normal
    Accessible.name: text
    // Qt 6.4 does not click a button when a screen reader asks for its press action: every
    // button of the app answers that action itself, like a click.
    Accessible.onPressAction: if (enabled) clicked()

    FocusRing { }

    contentItem: Text {
        text: button.text
        font: button.font
        color: button.prominent ? Brand.onPrimary : (button.destructive ? Brand.error : Brand.onBackground)
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        implicitWidth: 96
        implicitHeight: 36
        radius: 8
        color: button.prominent ? Brand.primary
                                : (button.hovered ? Qt.lighter(Brand.surfaceVariant, 1.25) : Brand.surfaceVariant)
        opacity: button.enabled ? (button.down ? 0.8 : 1) : 0.45
    }
}
