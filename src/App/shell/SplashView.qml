pragma ComponentBehavior: Bound
import QtQuick
import Norvane

// The start-up screen: the logo grows in and three phrases follow one another while the
// application model signs in silently (the model decides when the splash ends).
Rectangle {
    id: splash

    required property AppModel app

    property bool logoShown: false
    property int phraseIndex: 0
    // A constant table of texts and colours; QML 6.4 has no typed list of such pairs.
    readonly property var phrases: [
        { text: "CONÉCTATE...", color: Brand.primary },
        { text: "RELÁJATE...", color: Brand.secondary },
        { text: "DISFRUTA...", color: Brand.primary }
    ]

    color: "#000000"

    Column {
        anchors.centerIn: parent
        spacing: 28

        Image {
            objectName: "splashLogo"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 220
            height: 220
            source: "qrc:/assets/Logo.svg"
            sourceSize: Qt.size(440, 440)
            fillMode: Image.PreserveAspectFit
            opacity: splash.logoShown ? 1 : 0
            scale: splash.logoShown ? 1.0 : 0.82
            Behavior on opacity { NumberAnimation { duration: 700; easing.type: Easing.OutQuad } }
            Behavior on scale { NumberAnimation { duration: 700; easing.type: Easing.OutQuad } }
            Accessible.role: Accessible.Graphic
            Accessible.name: "Norvane"
        }

        // The phrases lie on top of each other; the current one fades in as the previous fades out.
        Item {
            width: splash.width
            height: phraseMetrics.height

            FontMetrics {
                id: phraseMetrics
                font.pixelSize: 22
                font.bold: true
            }

            Repeater {
                model: splash.phrases.length
                delegate: Text {
                    required property int index
                    objectName: "splashPhrase" + index
                    anchors.centerIn: parent
                    text: splash.phrases[index].text
                    color: splash.phrases[index].color
                    font.pixelSize: 22
                    font.bold: true
                    font.letterSpacing: 2
                    opacity: index === splash.phraseIndex ? 1 : 0
                    Behavior on opacity { NumberAnimation { duration: 450; easing.type: Easing.InOutQuad } }
                    Accessible.ignored: opacity === 0
                }
            }
        }
    }

    SequentialAnimation {
        running: true
        PropertyAction { target: splash; property: "logoShown"; value: true }
        PauseAnimation { duration: 450 }
        PropertyAction { target: splash; property: "phraseIndex"; value: 0 }
        PauseAnimation { duration: 650 }
        PropertyAction { target: splash; property: "phraseIndex"; value: 1 }
        PauseAnimation { duration: 650 }
        PropertyAction { target: splash; property: "phraseIndex"; value: 2 }
        PauseAnimation { duration: 650 }
    }

    Component.onCompleted: app.start()
}
