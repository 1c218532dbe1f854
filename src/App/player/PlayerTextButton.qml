pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// A borderless white text button of the player's bottom bar (fill/fit, audio, subtitles).
AbstractButton {
    id: button

    leftPadding: 8
    rightPadding: 8
    topPadding: 6
    bottomPadding: 6
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: text

    contentItem: Text {
        text: button.text
        color: "white"
        opacity: button.enabled ? (button.down ? 0.6 : 1) : 0.4
        font.pixelSize: TextStyle.body
        verticalAlignment: Text.AlignVCenter
    }
}
