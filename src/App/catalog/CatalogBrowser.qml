import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The grid screen of a catalog section (movies, series): header, category column on the left and
// on the right the posters of the selected category, the continue-watching cards, or the state of
// the load. The section screen owns what a card opens.
Item {
    id: browser

    property string title
    // The section model (MoviesModel or SeriesModel).
    property var model
    property var specials: []
    property var isLocked: function(category) { return false }
    // The selected category's records as a list model (roles: record and its fields).
    property var cards
    property bool isLoadingItems: false
    property string itemsError
    // The unfinished progress entries of this section's content type, newest first.
    property var continueEntries: []
    // The picture of a record.
    property var imageOf: function(record) { return record.streamIcon }
    // Whether a record is a favourite; null when the section has no favourites.
    property var favoriteOf: null
    // Shown for "__favorites__" when it holds nothing.
    property string favoritesHint
    // Shown for a chosen category that holds nothing.
    property string emptyText

    signal back()
    signal locked(var category)
    signal openRecord(var record)
    signal openEntry(var entry)
    signal toggleFavorite(var record)

    readonly property string selectedId: model ? model.selectedCategoryId : ""

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 12
            Layout.bottomMargin: 12
            spacing: 12

            BackButton {
                objectName: "backButton"
                onClicked: browser.back()
            }

            Text {
                objectName: "sectionTitle"
                text: browser.title
                color: Brand.onBackground
                font.pixelSize: TextStyle.title
                font.bold: true
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }

            Item { Layout.fillWidth: true }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            Item {
                Layout.preferredWidth: browser.width * 0.24
                Layout.fillHeight: true

                BusyIndicator {
                    anchors.centerIn: parent
                    visible: browser.model.isLoadingCategories
                    running: visible
                }

                RetryBox {
                    objectName: "categoriesRetry"
                    anchors.fill: parent
                    visible: !browser.model.isLoadingCategories && browser.model.categoriesError !== ""
                    message: browser.model.categoriesError
                    onAction: browser.model.loadCategories()
                }

                CategoryColumn {
                    objectName: "categoryColumn"
                    anchors.fill: parent
                    visible: !browser.model.isLoadingCategories && browser.model.categoriesError === ""
                    specials: browser.specials
                    categories: browser.model.categories
                    selectedId: browser.selectedId
                    isLocked: browser.isLocked
                    onSelect: id => browser.model.selectCategory(id)
                    onLocked: category => browser.locked(category)
                }
            }

            Rectangle {
                Layout.preferredWidth: 1
                Layout.fillHeight: true
                color: Brand.surfaceVariant
            }

            Item {
                id: pane
                objectName: "rightPane"
                Layout.fillWidth: true
                Layout.fillHeight: true

                readonly property string state_: {
                    if (browser.selectedId === "__continue__")
                        return "continue"
                    if (browser.selectedId === "__favorites__" && !browser.isLoadingItems && grid.count === 0)
                        return "favoritesHint"
                    if (!browser.isLoadingItems)
                        return browser.itemsError !== "" ? "error" : "grid"
                    return browser.selectedId === "__recent__" ? "catalogLoading" : "spinner"
                }

                PosterGrid {
                    id: grid
                    objectName: "posterGrid"
                    anchors.fill: parent
                    visible: pane.state_ === "grid"
                    model: browser.cards

                    delegate: Item {
                        id: cell
                        required property var record
                        required property int index
                        width: grid.cellWidth
                        height: grid.cellHeight

                        PosterCard {
                            id: card
                            objectName: "posterCard_" + cell.index
                            width: grid.cellSize
                            title: cell.record.name
                            imageUrl: browser.imageOf(cell.record) ?? ""
                            isFavorite: {
                                FavoritesStore.items
                                return browser.favoriteOf ? browser.favoriteOf(cell.record) : false
                            }
                            onClicked: browser.openRecord(cell.record)

                            MouseArea {
                                anchors.fill: parent
                                acceptedButtons: Qt.RightButton
                                enabled: browser.favoriteOf !== null
                                onClicked: favoriteMenu.popup()
                            }

                            Menu {
                                id: favoriteMenu
                                MenuItem {
                                    objectName: "favoriteMenuItem"
                                    text: card.isFavorite ? "Quitar de favoritos" : "Agregar a favoritos"
                                    Accessible.name: text
                                    onTriggered: browser.toggleFavorite(cell.record)
                                }
                            }
                        }
                    }
                }

                Text {
                    objectName: "chooseCategoryText"
                    anchors.centerIn: parent
                    visible: pane.state_ === "grid" && grid.count === 0
                    text: browser.selectedId === "" ? "Elige una categoría." : browser.emptyText
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.body
                }

                Text {
                    objectName: "favoritesHintText"
                    anchors.centerIn: parent
                    visible: pane.state_ === "favoritesHint"
                    text: browser.favoritesHint
                    horizontalAlignment: Text.AlignHCenter
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.body
                }

                RetryBox {
                    objectName: "itemsRetry"
                    anchors.fill: parent
                    visible: pane.state_ === "error"
                    message: browser.itemsError
                    onAction: {
                        if (browser.selectedId !== "")
                            browser.model.selectCategory(browser.selectedId)
                    }
                }

                CatalogLoadingView {
                    objectName: "catalogLoading"
                    anchors.fill: parent
                    visible: pane.state_ === "catalogLoading"
                    bytes: browser.model.downloadedBytes
                    fraction: browser.model.downloadFraction
                }

                BusyIndicator {
                    objectName: "itemsSpinner"
                    anchors.centerIn: parent
                    visible: pane.state_ === "spinner"
                    running: visible
                }

                PosterGrid {
                    id: continueGrid
                    objectName: "continueGrid"
                    anchors.fill: parent
                    visible: pane.state_ === "continue"
                    model: visible ? browser.continueEntries : []

                    delegate: Item {
                        id: entryCell
                        required property var modelData
                        required property int index
                        width: continueGrid.cellWidth
                        height: continueGrid.cellHeight

                        PosterCard {
                            objectName: "continueCard_" + entryCell.index
                            width: continueGrid.cellSize
                            title: entryCell.modelData.name
                            imageUrl: entryCell.modelData.imageUrl
                            progress: entryCell.modelData.watchedFraction
                            onClicked: browser.openEntry(entryCell.modelData)

                            MouseArea {
                                anchors.fill: parent
                                acceptedButtons: Qt.RightButton
                                onClicked: continueMenu.popup()
                            }

                            Menu {
                                id: continueMenu
                                MenuItem {
                                    objectName: "removeContinueItem"
                                    text: "Quitar de Continuar viendo"
                                    Accessible.name: text
                                    contentItem: Text {
                                        text: parent.text
                                        color: Brand.error
                                        font.pixelSize: TextStyle.body
                                    }
                                    onTriggered: ProgressStore.removeEntry(entryCell.modelData.key)
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}
