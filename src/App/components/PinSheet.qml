pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The parental PIN prompt of every section, as a modal sheet over the window. It shows while its
// gate asks for a PIN, and opens each time with an empty field that has the keyboard focus and
// without the warning of an earlier attempt.
Popup {
    id: sheet

    required property PinGate gate

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    onAboutToShow: prompt.reset()
    onOpened: prompt.focusField()
    onClosed: sheet.gate.cancelPin()

    background: Rectangle {
        radius: 14
        color: Brand.surface
        border.color: Brand.surfaceVariant
    }

    contentItem: PinPrompt {
        id: prompt
        objectName: "pinPrompt"
        onSubmitted: pin => {
            if (!sheet.gate.submitPin(pin))
                prompt.reject()
        }
        onCancel: sheet.gate.cancelPin()
    }

    Connections {
        target: sheet.gate
        function onCategoryChanged() {
            if (sheet.gate.isOpen)
                sheet.open()
            else
                sheet.close()
        }
    }
}
