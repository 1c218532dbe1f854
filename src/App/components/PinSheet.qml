import QtQuick
import QtQuick.Controls
import Norvane

// The parental PIN prompt as a modal sheet for one locked category. A right PIN emits
// accepted(category); cancelling emits cancelled(). The caller clears `category` in both cases.
Popup {
    id: sheet

    // The locked category, or null when no prompt is wanted.
    property var category: null

    signal cancelled()
    signal accepted(var category)

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    padding: 0
    visible: category !== null
    closePolicy: Popup.NoAutoClose

    background: Rectangle {
        radius: 14
        color: Brand.surface
        border.color: Brand.surfaceVariant
    }

    contentItem: PinPrompt {
        id: prompt
        objectName: "pinPrompt"
        checkPin: function(pin) {
            if (!ParentalControl.acceptsPin(pin))
                return false
            sheet.accepted(sheet.category)
            return true
        }
        onCancel: sheet.cancelled()
    }

    onClosed: prompt.pin = ""
}
