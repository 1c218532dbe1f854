pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The grid screen of a catalog section (movies, series): the section's frame, the category column
// on the left and on the right the pane the controller chooses: the posters of the selected
// category, the continue-watching cards, a hint, the error or the load. The section screen owns
// what a card opens.
SectionScaffold {
    id: browser

    required property CatalogScreen screen
    readonly property CatalogSectionModel section: screen.section

    signal openRecord(var record)
    signal openEntry(progressEntry entry)

    RowLayout {
        spacing: 0

        Item {
            Layout.preferredWidth: browser.width * 0.24
            Layout.fillHeight: true

            BusyIndicator {
                anchors.centerIn: parent
                visible: browser.section.isLoadingCategories
                running: visible
            }

            RetryBox {
                objectName: "categoriesRetry"
                anchors.fill: parent
                visible: !browser.section.isLoadingCategories && browser.section.categoriesError !== ""
                message: browser.section.categoriesError
                onAction: browser.section.loadCategories()
            }

            CategoryColumn {
                objectName: "categoryColumn"
                anchors.fill: parent
                visible: !browser.section.isLoadingCategories && browser.section.categoriesError === ""
                section: browser.section
                selectedId: browser.section.selectedCategoryId
                onSelect: id => browser.screen.categoryClicked(id)
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

            readonly property int shown: browser.screen.pane

            PosterGrid {
                id: grid
                objectName: "posterGrid"
                anchors.fill: parent
                visible: pane.shown === CatalogScreen.Grid || pane.shown === CatalogScreen.EmptyList
                model: browser.section.cards

                delegate: FocusScope {
                    id: cell
                    required property var record
                    required property int index
                    width: grid.cellWidth
                    height: grid.cellHeight

                    PosterCard {
                        id: card
                        objectName: "posterCard_" + cell.index
                        width: grid.cellSize
                        focus: true
                        title: cell.record.name
                        imageUrl: browser.section.artworkOf(cell.record)
                        isFavorite: {
                            FavoritesStore.items // read again when the favourites change
                            return browser.section.isFavoriteRecord(cell.record)
                        }
                        onClicked: browser.openRecord(cell.record)

                        MouseArea {
                            anchors.fill: parent
                            acceptedButtons: Qt.RightButton
                            enabled: browser.section.offersFavorites
                            onClicked: favoriteMenu.popup()
                        }

                        Menu {
                            id: favoriteMenu
                            MenuItem {
                                objectName: "favoriteMenuItem"
                                text: card.isFavorite ? "Quitar de favoritos" : "Agregar a favoritos"
                                Accessible.name: text
                                Accessible.onPressAction: if (enabled) triggered()
                                onTriggered: browser.section.toggleFavoriteRecord(cell.record)
                            }
                        }
                    }
                }
            }

            Text {
                objectName: "chooseCategoryText"
                anchors.centerIn: parent
                visible: pane.shown === CatalogScreen.EmptyList
                text: browser.screen.hintText
                color: Brand.secondaryText
                font.pixelSize: TextStyle.body
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            Text {
                objectName: "favoritesHintText"
                anchors.centerIn: parent
                visible: pane.shown === CatalogScreen.FavoritesHint
                text: browser.screen.hintText
                horizontalAlignment: Text.AlignHCenter
                color: Brand.secondaryText
                font.pixelSize: TextStyle.body
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            RetryBox {
                objectName: "itemsRetry"
                anchors.fill: parent
                visible: pane.shown === CatalogScreen.Error
                message: browser.section.listError
                onAction: browser.screen.retry()
            }

            CatalogLoadingView {
                objectName: "catalogLoading"
                anchors.fill: parent
                visible: pane.shown === CatalogScreen.CatalogLoading
                bytes: browser.section.downloadedBytes
                fraction: browser.section.downloadFraction
            }

            BusyIndicator {
                objectName: "itemsSpinner"
                anchors.centerIn: parent
                visible: pane.shown === CatalogScreen.Spinner
                running: visible
            }

            PosterGrid {
                id: continueGrid
                objectName: "continueGrid"
                anchors.fill: parent
                visible: pane.shown === CatalogScreen.Continue
                model: visible ? browser.section.continueEntries : []
                // The cards are made anew each time the grid shows again or the list changes; the
                // keyboard goes back to the card last opened, wherever the list has put it.
                property string openedKey
                onModelChanged: {
                    const entries = model
                    for (let i = 0; i < entries.length; ++i) {
                        if (entries[i].key === openedKey) {
                            currentIndex = i
                            break
                        }
                    }
                }

                delegate: FocusScope {
                    id: entryCell
                    required property progressEntry modelData
                    required property int index
                    width: continueGrid.cellWidth
                    height: continueGrid.cellHeight

                    PosterCard {
                        objectName: "continueCard_" + entryCell.index
                        width: continueGrid.cellSize
                        focus: true
                        title: entryCell.modelData.name
                        imageUrl: entryCell.modelData.imageUrl
                        progress: entryCell.modelData.watchedFraction
                        onClicked: {
                            continueGrid.openedKey = entryCell.modelData.key
                            browser.openEntry(entryCell.modelData)
                        }

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
                                Accessible.onPressAction: if (enabled) triggered()
                                contentItem: Text {
                                    text: "Quitar de Continuar viendo"
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
