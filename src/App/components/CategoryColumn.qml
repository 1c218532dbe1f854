import QtQuick
import QtQuick.Controls
import Norvane

// The category list of the movies and series screens: the special rows first, then the
// provider's categories, on the surface colour. A click on a locked category emits locked()
// with that category; every other click, special rows included, emits select() with the row's id.
// Tab enters the list at the last row used, the arrows move through it, Return or Space clicks.
Rectangle {
    id: column

    // The fixed rows above the categories: objects with id, label and icon.
    property var specials: []
    // Category values (objects with categoryId and categoryName).
    property var categories: []
    // The highlighted row's id; undefined or null highlights none.
    property var selectedId: undefined
    // Whether a category needs the parental PIN.
    property var isLocked: function(category) { return false }

    signal select(string id)
    signal locked(var category)

    readonly property int specialCount: specials ? specials.length : 0
    readonly property int categoryCount: categories ? categories.length : 0

    function rowClicked(id) {
        for (let i = 0; i < categoryCount; ++i) {
            const category = categories[i]
            if (category.categoryId === id && isLocked(category)) {
                locked(category)
                return
            }
        }
        select(id)
    }

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
        model: column.specialCount + column.categoryCount
        ScrollBar.vertical: ScrollBar { }

        delegate: AbstractButton {
            id: row

            required property int index
            readonly property bool isSpecial: index < column.specialCount
            readonly property var special: isSpecial ? column.specials[index] : null
            readonly property var category: isSpecial ? null : column.categories[index - column.specialCount]
            readonly property string rowId: isSpecial ? special.id : category.categoryId
            readonly property string label: isSpecial ? special.label : category.categoryName
            readonly property bool isLockedRow: !isSpecial && column.isLocked(category)
            readonly property bool selected: column.selectedId !== undefined && column.selectedId !== null
                                             && column.selectedId === rowId

            objectName: "categoryRow_" + rowId
            width: ListView.view.width
            leftPadding: 12
            rightPadding: 12
            topPadding: 2
            bottomPadding: 2
            // The list moves the keyboard focus between rows; a click does not take it.
            focusPolicy: Qt.NoFocus
            onClicked: {
                ListView.view.currentIndex = index
                column.rowClicked(rowId)
            }
            Accessible.role: Accessible.Button
            Accessible.onPressAction: if (enabled) clicked()
            Accessible.name: label
            Accessible.description: isLockedRow ? "Bloqueada" : ""

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
                        name: row.isSpecial ? row.special.icon : ""
                        size: TextStyle.body + 3
                        color: Brand.primary
                    }

                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        width: Math.min(implicitWidth, parent.width - (row.isSpecial ? 30 : 0) - (row.isLockedRow ? 22 : 0))
                        text: row.label
                        color: Brand.onBackground
                        font.pixelSize: TextStyle.body
                        elide: Text.ElideRight
                    }

                    SystemSymbol {
                        objectName: "lockSymbol"
                        anchors.verticalCenter: parent.verticalCenter
                        visible: row.isLockedRow
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
