pragma ComponentBehavior: Bound
import QtQuick
import Norvane

// The keyboard's mark on a control: a ring in the brand colour around the control while it has
// the keyboard focus, and Return/Enter pressing it as Space does. Put one inside any focusable
// control:
//     BrandButton { ... FocusRing { } }
//     FocusRing { radius: 16 }                     // follow the control's corners
//     FocusRing { shown: row.activeFocus }         // rows that a list focuses with the arrows
//     FocusRing { returnPresses: false }           // a control whose Return does something else
Rectangle {
    id: ring

    objectName: "focusRing"
    // The control it belongs to.
    property Item target: parent
    // Controls focused by Tab report visualFocus; a mouse click alone draws no ring.
    property bool shown: target ? target.visualFocus === true : false
    property real gap: 3
    property bool returnPresses: true

    anchors.fill: target
    anchors.margins: -gap
    radius: 8 + gap
    z: 100
    visible: shown
    color: "transparent"
    border.width: 2
    border.color: Brand.primary
    Accessible.ignored: true

    KeyActivation {
        target: ring.returnPresses ? ring.target : null
    }
}
