pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The category column of a section: the section's own rows first, then the provider's
// categories with a lock on those the parental PIN still guards. A click emits select() with the
// row's id; the section's controller decides whether it needs the PIN.
// Tab enters the list at the last row used, the arrows move through it, Return or Space clicks.
Rectangle {
    id: column

    required property CategorizedSectionModel section

    signal select(string id)

    color: Brand.surface

    ListView {
        id: list
        objectName: "categoryList"
        anchors.fill: parent
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        activeFocusOnTab: true
        // The screen's first stop for the keyboard.
        focus: true
        model: column.section.categoryRows
        ScrollBar.vertical: ScrollBar { }

        delegate: AbstractButton {
            id: row

            required property sectionRow modelData
            required property int index
            readonly property bool isSpecial: modelData.icon !== ""
            readonly property bool selected: column.section.selectedRow === index

            objectName: "categoryRow_" + modelData.id
            width: ListView.view.width
            leftPadding: 12
            rightPadding: 12
            topPadding: 2
            bottomPadding: 2
            // The list moves the keyboard focus between rows; a click does not take it.
            focusPolicy: Qt.NoFocus
            onClicked: {
                ListView.view.currentIndex = index
                column.select(modelData.id)
            }
            Accessible.role: Accessible.Button
            Accessible.onPressAction: if (enabled) clicked()
            Accessible.name: modelData.label
            Accessible.description: modelData.isLocked ? "Bloqueada" : ""

            FocusRing {
                shown: row.activeFocus
                gap: -1
                radius: 4
            }

            contentItem: Item {
                implicitHeight: 32
                Row {
                    anchors.verticalCenter: parent.verticalCenter
                    width: parent.width
                    spacing: 8

                    SystemSymbol {
                        anchors.verticalCenter: parent.verticalCenter
                        visible: row.isSpecial
                        name: row.modelData.icon
                        size: TextStyle.body + 3
                        color: Brand.primary
                    }

                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        width: Math.min(implicitWidth, parent.width - (row.isSpecial ? 30 : 0) - (row.modelData.isLocked ? 22 : 0))
                        text: row.modelData.label
                        color: Brand.onBackground
                        font.pixelSize: TextStyle.body
                        elide: Text.ElideRight
                    }

                    SystemSymbol {
                        objectName: "lockSymbol"
                        anchors.verticalCenter: parent.verticalCenter
                        visible: row.modelData.isLocked
                        name: "lock.fill"
                        size: TextStyle.caption
                        color: Brand.secondaryText
                    }
                }
            }

            background: Rectangle {
                color: row.selected ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.22)
                                    : "transparent"
            }
        }
    }
}
