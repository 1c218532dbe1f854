import QtQuick
import QtQuick.Controls

// Placeholder root until the sign-in screens land.
Item {
    Label {
        anchors.centerIn: parent
        text: "Norvane"
        color: "#E6E9EF"
    }
}
