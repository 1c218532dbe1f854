import QtQuick
import QtQuick.Window
import Norvane

// The one window; AppRoot fills it and follows the application model's phase.
Window {
    id: window
    visible: true
    title: "Norvane"
    width: 1280
    height: 800
    minimumWidth: 1000
    minimumHeight: 640
    color: "#0B0E14"

    AppRoot {
        anchors.fill: parent
    }
}
