import QtQuick
import Norvane

// Stands in for a section whose screen is not available: “Películas” — en construcción.
Item {
    id: soon

    // The AppTab it stands for, and that tab's label.
    property int tab
    property string title

    Column {
        anchors.centerIn: parent
        spacing: 10

        SystemSymbol {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "hammer.fill"
            size: TextStyle.largeTitle
            color: Brand.secondaryText
        }

        Text {
            objectName: "comingSoonText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "\u201C" + soon.title + "\u201D \u2014 en construcción"
            color: Brand.secondaryText
            font.pixelSize: TextStyle.body
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
