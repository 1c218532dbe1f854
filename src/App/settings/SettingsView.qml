pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The "Ajustes" section: who is signed in, signing out with or without forgetting the saved
// credentials (each behind a confirmation), and the version. The keyboard starts on "Cerrar
// sesión"; a confirmation opens on "Cancelar" and Escape closes it.
Item {
    id: settings

    required property AppModel app

    property bool confirmLogout: false
    property bool confirmForget: false
    // The saved sign-in's user name ("username" in the keyring), read when the screen opens.
    readonly property string savedUsername: SessionStore.username

    component SectionCard: ColumnLayout {
        id: sectionCard

        property string title
        default property alias rows: rowsColumn.data

        Layout.fillWidth: true
        spacing: 8

        Text {
            text: sectionCard.title.toUpperCase()
            color: Brand.secondaryText
            font.pixelSize: TextStyle.caption
            font.bold: true
            font.letterSpacing: 0.5
            Layout.leftMargin: 4
            Accessible.role: Accessible.Heading
            Accessible.name: sectionCard.title
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: rowsColumn.implicitHeight
            radius: 12
            color: Brand.surface

            ColumnLayout {
                id: rowsColumn
                anchors.left: parent.left
                anchors.right: parent.right
                spacing: 0
            }
        }
    }

    component InfoRow: Control {
        id: infoRow

        property string symbol
        property string title
        property string trailing

        Layout.fillWidth: true
        padding: 14
        Accessible.role: Accessible.StaticText
        Accessible.name: trailing.length > 0 ? title + " " + trailing : title

        contentItem: RowLayout {
            spacing: 10
            SystemSymbol {
                Layout.preferredWidth: 24
                name: infoRow.symbol
                size: 20
                color: Brand.secondaryText
            }
            Text {
                text: infoRow.title
                color: Brand.onBackground
                font.pixelSize: TextStyle.body
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            Text {
                visible: infoRow.trailing.length > 0
                text: infoRow.trailing
                color: Brand.secondaryText
                font.pixelSize: TextStyle.body
            }
        }
    }

    component ActionRow: AbstractButton {
        id: actionRow

        property string symbol

        Layout.fillWidth: true
        padding: 14
        hoverEnabled: true
        Accessible.role: Accessible.Button
        Accessible.onPressAction: if (enabled) clicked()
        Accessible.name: text

        FocusRing { radius: 12 + gap }

        contentItem: RowLayout {
            spacing: 10
            SystemSymbol {
                Layout.preferredWidth: 24
                name: actionRow.symbol
                size: 20
                color: Brand.primary
            }
            Text {
                Layout.fillWidth: true
                text: actionRow.text
                color: Brand.onBackground
                font.pixelSize: TextStyle.body
            }
        }
        background: Rectangle {
            radius: 12
            color: actionRow.hovered ? Brand.surfaceVariant : "transparent"
        }
    }

    component ConfirmDialog: Dialog {
        id: dialog

        property string message
        property string confirmText

        signal confirmed()

        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(420, settings.width - 40)
        modal: true
        // Escape closes only a popup that has the focus.
        focus: true
        padding: 20
        topPadding: 8

        background: Rectangle {
            radius: 14
            color: Brand.surfaceVariant
            border.color: Qt.rgba(1, 1, 1, 0.08)
        }
        header: Text {
            objectName: "confirmTitle"
            text: dialog.title
            color: Brand.onBackground
            font.pixelSize: TextStyle.headline
            font.bold: true
            Accessible.role: Accessible.StaticText
            Accessible.name: text
            horizontalAlignment: Text.AlignHCenter
            topPadding: 20
            leftPadding: 20
            rightPadding: 20
        }
        contentItem: Text {
            objectName: "confirmMessage"
            text: dialog.message
            color: Brand.secondaryText
            font.pixelSize: TextStyle.callout
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        footer: RowLayout {
            spacing: 12
            Item { Layout.fillWidth: true }
            BrandButton {
                objectName: "cancelButton"
                text: "Cancelar"
                // The safe answer has the keyboard.
                focus: true
                Layout.bottomMargin: 20
                onClicked: dialog.close()
            }
            BrandButton {
                objectName: "confirmButton"
                text: dialog.confirmText
                destructive: true
                Layout.bottomMargin: 20
                onClicked: {
                    dialog.close()
                    dialog.confirmed()
                }
            }
            Item { Layout.fillWidth: true }
        }
    }

    // A dialog can only open once the screen is in a window.
    readonly property bool inWindow: Window.window !== null

    function showDialogs() {
        if (!inWindow)
            return
        confirmLogout ? logoutDialog.open() : logoutDialog.close()
        confirmForget ? forgetDialog.open() : forgetDialog.close()
    }

    onConfirmLogoutChanged: showDialogs()
    onConfirmForgetChanged: showDialogs()
    // Later: the dialogs learn about the window after this item does.
    onInWindowChanged: Qt.callLater(showDialogs)

    Flickable {
        id: scroller
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.implicitHeight + 40
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar { }

        ColumnLayout {
            id: column
            y: 20
            x: (scroller.width - width) / 2
            width: Math.min(560, scroller.width - 40)
            spacing: 20

            SectionCard {
                objectName: "accountCard"
                title: "Cuenta"

                InfoRow {
                    objectName: "signedInRow"
                    visible: settings.savedUsername.length > 0
                    symbol: "person.crop.circle"
                    title: "Sesión de " + settings.savedUsername
                }
                ActionRow {
                    objectName: "logoutRow"
                    focus: true
                    symbol: "rectangle.portrait.and.arrow.right"
                    text: "Cerrar sesión"
                    onClicked: settings.confirmLogout = true
                }
                ActionRow {
                    objectName: "forgetRow"
                    symbol: "key.slash"
                    text: "Olvidar credenciales guardadas"
                    onClicked: settings.confirmForget = true
                }
            }

            SectionCard {
                objectName: "aboutCard"
                title: "Acerca de"

                InfoRow {
                    objectName: "versionRow"
                    symbol: "info.circle"
                    title: "Norvane"
                    trailing: AppInfo.version
                }
            }
        }
    }

    ConfirmDialog {
        id: logoutDialog
        objectName: "logoutDialog"
        title: "¿Cerrar sesión?"
        message: "Tendrás que ingresar de nuevo, pero recordaremos tu usuario y clave."
        confirmText: "Cerrar sesión"
        onClosed: settings.confirmLogout = false
        onConfirmed: settings.app.logOut()
    }

    ConfirmDialog {
        id: forgetDialog
        objectName: "forgetDialog"
        title: "¿Olvidar credenciales?"
        message: "Se borrará tu usuario y clave guardados. Tendrás que escribirlos la próxima vez."
        confirmText: "Olvidar"
        onClosed: settings.confirmForget = false
        onConfirmed: settings.app.forgetCredentials()
    }
}
