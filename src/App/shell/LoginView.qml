pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The login form: the fields live in the application model, so they survive a trip to another
// screen; only whether the password is shown belongs to this screen.
Rectangle {
    id: login

    required property AppModel app

    property bool showPassword: false
    readonly property bool canSubmit: app.loginUser.length > 0 && app.loginPassword.length > 0
                                      && !app.isLoggingIn

    function startLogin() {
        app.login()
    }

    color: Brand.background

    ScrollView {
        id: scroller
        anchors.fill: parent
        // The user field has the keyboard when the form opens.
        focus: true
        contentWidth: availableWidth
        ScrollBar.vertical.policy: ScrollBar.AsNeeded

        Item {
            width: scroller.availableWidth
            implicitHeight: form.implicitHeight + form.anchors.topMargin + 40

            ColumnLayout {
                id: form
                anchors.top: parent.top
                anchors.topMargin: 40
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(400, parent.width - 32)
                spacing: 16

                Image {
                    objectName: "loginLogo"
                    Layout.alignment: Qt.AlignHCenter
                    Layout.preferredWidth: 110
                    Layout.preferredHeight: 110
                    source: "qrc:/assets/Logo.svg"
                    sourceSize: Qt.size(220, 220)
                    fillMode: Image.PreserveAspectFit
                    Accessible.role: Accessible.Graphic
                    Accessible.name: "Norvane"
                }

                GradientText {
                    Layout.alignment: Qt.AlignHCenter
                    text: "NORVANE"
                    font.pixelSize: 34
                    font.bold: true
                    colors: Brand.neon
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Label {
                    Layout.fillWidth: true
                    text: "Ingresa con los datos que te entregó tu proveedor"
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.callout
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                TextField {
                    id: userField
                    objectName: "userField"
                    Layout.fillWidth: true
                    placeholderText: "Usuario"
                    text: login.app.loginUser
                    onTextEdited: login.app.loginUser = text
                    padding: 12
                    color: Brand.onBackground
                    placeholderTextColor: Brand.secondaryText
                    font.pixelSize: TextStyle.body
                    selectByMouse: true
                    focus: true
                    background: Rectangle { radius: 10; color: Brand.surface }
                    Accessible.name: "Usuario"
                    KeyNavigation.tab: passwordField
                }

                Rectangle {
                    objectName: "passwordRow"
                    Layout.fillWidth: true
                    implicitHeight: passwordField.implicitHeight
                    radius: 10
                    color: Brand.surface

                    RowLayout {
                        anchors.fill: parent
                        spacing: 0

                        TextField {
                            id: passwordField
                            objectName: "passwordField"
                            Layout.fillWidth: true
                            placeholderText: "Contraseña"
                            text: login.app.loginPassword
                            onTextEdited: login.app.loginPassword = text
                            echoMode: login.showPassword ? TextInput.Normal : TextInput.Password
                            padding: 12
                            color: Brand.onBackground
                            placeholderTextColor: Brand.secondaryText
                            font.pixelSize: TextStyle.body
                            selectByMouse: true
                            background: null
                            Accessible.name: "Contraseña"
                            // Return starts a sign-in even while the button is disabled.
                            Keys.onReturnPressed: login.startLogin()
                            Keys.onEnterPressed: login.startLogin()
                        }

                        ToolButton {
                            id: eyeButton
                            objectName: "eyeButton"
                            Layout.fillHeight: true
                            Layout.preferredWidth: 44
                            focusPolicy: Qt.TabFocus
                            onClicked: login.showPassword = !login.showPassword
                            contentItem: SystemSymbol {
                                name: login.showPassword ? "eye.slash" : "eye"
                                size: 20
                                color: Brand.secondaryText
                            }
                            background: null
                            Accessible.name: login.showPassword ? "Ocultar contraseña" : "Mostrar contraseña"
                            Accessible.onPressAction: clicked()
                            Keys.onReturnPressed: login.startLogin()
                            Keys.onEnterPressed: login.startLogin()

                            FocusRing { returnPresses: false }
                        }
                    }
                }

                Label {
                    objectName: "loginMessage"
                    Layout.fillWidth: true
                    visible: login.app.hasLoginMessage
                    text: login.app.loginMessage
                    color: Brand.error
                    font.pixelSize: TextStyle.callout
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Button {
                    id: submitButton
                    objectName: "submitButton"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 44
                    Layout.topMargin: 4
                    enabled: login.canSubmit
                    onClicked: login.startLogin()
                    Accessible.name: "Entrar"
                    Accessible.onPressAction: if (enabled) clicked()
                    contentItem: Item {
                        Label {
                            objectName: "submitLabel"
                            anchors.centerIn: parent
                            visible: !login.app.isLoggingIn
                            text: "Entrar"
                            font.pixelSize: TextStyle.body
                            font.weight: Font.DemiBold
                            color: Brand.onPrimary
                        }
                        BusyIndicator {
                            objectName: "submitSpinner"
                            anchors.centerIn: parent
                            width: 26
                            height: 26
                            visible: login.app.isLoggingIn
                            running: visible
                            palette.dark: Brand.onPrimary
                        }
                    }
                    background: Rectangle {
                        radius: 10
                        color: Brand.primary
                        opacity: submitButton.enabled ? (submitButton.down ? 0.8 : 1) : 0.45
                    }

                    FocusRing { radius: 10 + gap }
                }
            }
        }
    }
}
