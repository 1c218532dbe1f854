pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The grid screen of a catalog section (movies, series): the section's frame, the category column
// on the left and on the right the pane the controller chooses: the posters of the selected
// category, the continue-watching cards, a hint, the error or the load. The controller opens what
// a card shows.
SectionScaffold {
    id: browser

    required property CatalogScreen screen
    readonly property CatalogSectionModel model: screen.model

    RowLayout {
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
                section: browser.model
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
                model: browser.model.rows

                delegate: FocusScope {
                    id: cell
                    required property int index
                    required property string title
                    required property string artwork
                    required property bool isFavorite
                    width: grid.cellWidth
                    height: grid.cellHeight

                    PosterCard {
                        id: card
                        objectName: "posterCard_" + cell.index
                        width: grid.cellSize
                        focus: true
                        title: cell.title
                        imageUrl: cell.artwork
                        isFavorite: cell.isFavorite
                        onClicked: browser.screen.openCard(cell.index)

                        MouseArea {
                            anchors.fill: parent
                            acceptedButtons: Qt.RightButton
                            enabled: browser.model.offersFavorites
                            onClicked: favoriteMenu.popup()
                        }

                        Menu {
                            id: favoriteMenu
                            MenuItem {
                                objectName: "favoriteMenuItem"
                                text: cell.isFavorite ? "Quitar de favoritos" : "Agregar a favoritos"
                                Accessible.name: text
                                Accessible.onPressAction: if (enabled) triggered()
                                onTriggered: browser.model.toggleFavoriteAt(cell.index)
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
                message: browser.model.listError
                onAction: browser.screen.retry()
            }

            CatalogLoadingView {
                objectName: "catalogLoading"
                anchors.fill: parent
                visible: pane.shown === CatalogScreen.CatalogLoading
                bytes: browser.model.downloadedBytes
                fraction: browser.model.downloadFraction
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
                model: browser.model.continueRows
                // The cards are made anew each time the list is read again; the keyboard goes back
                // to the card last opened, wherever the list has put it.
                property string openedKey
                function findOpened() {
                    const row = browser.model.continueRows.rowOfKey(openedKey)
                    if (row >= 0)
                        currentIndex = row
                }
                onVisibleChanged: findOpened()
                Connections {
                    target: browser.model.continueRows
                    function onModelReset() { continueGrid.findOpened() }
                }

                delegate: FocusScope {
                    id: entryCell
                    required property int index
                    required property string key
                    required property string title
                    required property string artwork
                    required property real progress
                    width: continueGrid.cellWidth
                    height: continueGrid.cellHeight

                    PosterCard {
                        objectName: "continueCard_" + entryCell.index
                        width: continueGrid.cellSize
                        focus: true
                        title: entryCell.title
                        imageUrl: entryCell.artwork
                        progress: entryCell.progress
                        onClicked: {
                            continueGrid.openedKey = entryCell.key
                            browser.screen.openContinueCard(entryCell.index)
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
                                onTriggered: browser.model.removeContinueAt(entryCell.index)
                            }
                        }
                    }
                }
            }
        }
    }
}
