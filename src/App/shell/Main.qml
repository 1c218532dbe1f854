pragma ComponentBehavior: Bound
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
    minimumWidth: root.implicitWidth
    minimumHeight: root.implicitHeight
    color: Brand.background

    // Size, place and maximised state as the last run left them.
    WindowGeometry {
        window: window
    }

    AppRoot {
        id: root
        anchors.fill: parent
        focus: true
    }
}
