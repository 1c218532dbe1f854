import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// Home until the main menu exists: who is signed in, and a working sign-out.
Rectangle {
    id: home

    required property AppModel app

    color: Brand.background

    ColumnLayout {
        anchors.centerIn: parent
        spacing: 16

        Image {
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: 110
            Layout.preferredHeight: 110
            source: "qrc:/assets/Logo.svg"
            sourceSize: Qt.size(220, 220)
            Accessible.role: Accessible.Graphic
            Accessible.name: "Norvane"
        }

        Label {
            objectName: "signedInAs"
            Layout.alignment: Qt.AlignHCenter
            text: "Sesión iniciada como " + home.app.client.username
            color: Brand.onBackground
            font.pixelSize: TextStyle.headline
            font.bold: true
        }

        Button {
            objectName: "logOutButton"
            Layout.alignment: Qt.AlignHCenter
            text: "Cerrar sesión"
            onClicked: home.app.logOut()
            Accessible.name: text
        }
    }
}
