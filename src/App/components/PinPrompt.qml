pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The parental PIN panel. Submitting emits submitted(pin); the caller answers a wrong PIN with
// reject(), which empties the field and shows "PIN incorrecto." until the next submit. The caller
// closes the panel on success and gives it its background.
Item {
    id: prompt

    property string pin: ""
    property bool wrong: false

    signal submitted(string pin)
    signal cancel()

    // A fresh prompt: no PIN typed and no earlier warning.
    function reset() {
        pin = ""
        wrong = false
    }

    function focusField() {
        field.forceActiveFocus()
    }

    function submit() {
        wrong = false
        submitted(pin)
    }

    function reject() {
        wrong = true
        pin = ""
    }

    implicitWidth: 320
    implicitHeight: content.implicitHeight + 56

    ColumnLayout {
        id: content
        anchors.fill: parent
        anchors.margins: 28
        spacing: 16

        SystemSymbol {
            Layout.alignment: Qt.AlignHCenter
            name: "lock.fill"
            size: TextStyle.largeTitle
            color: Brand.primary
        }

        Text {
            Layout.alignment: Qt.AlignHCenter
            text: "Categoría bloqueada"
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            color: Brand.onBackground
            font.pixelSize: TextStyle.headline
            font.bold: true
        }

        Text {
            Layout.fillWidth: true
            text: "Ingresa el PIN parental para verla."
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            color: Brand.secondaryText
            font.pixelSize: TextStyle.callout
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
        }

        TextField {
            id: field
            objectName: "pinField"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 160
            placeholderText: "PIN"
            text: prompt.pin
            onTextEdited: prompt.pin = text
            onAccepted: prompt.submit()
            echoMode: TextInput.Password
            focus: true
            horizontalAlignment: TextInput.AlignHCenter
            color: Brand.onBackground
            placeholderTextColor: Brand.secondaryText
            font.pixelSize: TextStyle.body
            Accessible.name: "PIN"
            background: Rectangle {
                implicitHeight: 34
                radius: 8
                color: Brand.background
                border.width: 1
                border.color: field.activeFocus ? Brand.primary : Brand.surfaceVariant
            }
        }

        Text {
            objectName: "pinWrong"
            Layout.alignment: Qt.AlignHCenter
            visible: prompt.wrong
            text: "PIN incorrecto."
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            color: Brand.error
            font.pixelSize: TextStyle.callout
        }

        RowLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12

            BrandButton {
                objectName: "pinCancel"
                text: "Cancelar"
                onClicked: prompt.cancel()
            }

            BrandButton {
                objectName: "pinAccept"
                text: "Aceptar"
                prominent: true
                onClicked: prompt.submit()
            }
        }
    }
}
