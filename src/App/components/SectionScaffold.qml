pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Norvane

// The frame of a section: "Volver" and the title above the section's content, which fills the
// rest. Children become the content and are stretched over it.
Item {
    id: scaffold

    property string title
    default property alias content: contentArea.data

    signal back()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 14
            Layout.bottomMargin: 14
            spacing: 16

            BackButton {
                objectName: "backButton"
                onClicked: scaffold.back()
            }

            Text {
                objectName: "sectionTitle"
                text: scaffold.title
                color: Brand.onBackground
                font.pixelSize: TextStyle.title
                font.bold: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }

            Item { Layout.fillWidth: true }
        }

        Item {
            id: contentArea
            objectName: "sectionContent"
            Layout.fillWidth: true
            Layout.fillHeight: true

            // Whatever the section puts here takes the whole area.
            onChildrenChanged: {
                for (let i = 0; i < children.length; ++i)
                    children[i].anchors.fill = contentArea
            }
        }
    }
}
