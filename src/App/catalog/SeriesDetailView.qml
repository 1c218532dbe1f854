pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// One series: the favourite button, a chip per season and the episodes of the selected one.
// Choosing an episode plays, on the section's screen, the queue from that episode to the end of
// the last season.
Item {
    id: view

    required property xtreamClient client
    required property seriesStream series
    required property SectionScreen screen

    signal back()

    readonly property SeriesDetailModel detail: detailModel

    SeriesDetailModel {
        id: detailModel
        client: view.client
        series: view.series
    }

    Component.onCompleted: detailModel.open()

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
                objectName: "detailBackButton"
                onClicked: view.back()
            }

            Text {
                objectName: "seriesTitle"
                Layout.fillWidth: true
                text: detailModel.isLoading ? "Cargando..." : view.series.name
                color: Brand.onBackground
                font.pixelSize: TextStyle.title
                font.bold: true
                elide: Text.ElideRight
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }

            AbstractButton {
                id: favButton
                objectName: "favoriteButton"
                readonly property string label: detailModel.isFav ? "Quitar favorito" : "Favorito"
                readonly property color tint: detailModel.isFav ? Brand.primary : Brand.onBackground
                padding: 6
                Accessible.role: Accessible.Button
                Accessible.onPressAction: if (enabled) clicked()
                Accessible.name: label
                onClicked: detailModel.toggleFavorite()

                FocusRing { }

                contentItem: Row {
                    spacing: 6
                    SystemSymbol {
                        anchors.verticalCenter: parent.verticalCenter
                        name: detailModel.isFav ? "star.fill" : "star"
                        color: favButton.tint
                    }
                    Text {
                        objectName: "favoriteLabel"
                        anchors.verticalCenter: parent.verticalCenter
                        text: favButton.label
                        color: favButton.tint
                        font.pixelSize: TextStyle.body
                    }
                }
            }
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            BusyIndicator {
                anchors.centerIn: parent
                visible: detailModel.isLoading
                running: visible
            }

            RetryBox {
                objectName: "detailRetry"
                anchors.fill: parent
                visible: !detailModel.isLoading && detailModel.error !== ""
                message: detailModel.error
                onAction: detailModel.load()
            }

            ColumnLayout {
                anchors.fill: parent
                visible: !detailModel.isLoading && detailModel.error === "" && detailModel.hasResponse
                spacing: 12

                // Tab enters the chips at the one last used, Left and Right move along them,
                // Return or Space selects. Room around the chips for the focus ring.
                ListView {
                    id: seasonList
                    objectName: "seasonChips"
                    Layout.fillWidth: true
                    Layout.leftMargin: 20 - ringRoom
                    Layout.rightMargin: 20 - ringRoom
                    Layout.preferredHeight: 34 + 2 * ringRoom
                    readonly property int ringRoom: 3
                    leftMargin: ringRoom
                    rightMargin: ringRoom
                    orientation: ListView.Horizontal
                    spacing: 8
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    activeFocusOnTab: true
                    model: detailModel.seasonNumbers

                    delegate: AbstractButton {
                        id: chip
                        required property real modelData
                        readonly property bool selected: detailModel.selectedSeason === modelData
                        objectName: "seasonChip_" + modelData
                        y: seasonList.ringRoom
                        text: "Temporada " + modelData
                        leftPadding: 12
                        rightPadding: 12
                        topPadding: 7
                        bottomPadding: 7
                        focusPolicy: Qt.NoFocus
                        Accessible.role: Accessible.Button
                        Accessible.onPressAction: if (enabled) clicked()
                        Accessible.name: text
                        Accessible.checked: selected
                        onClicked: detailModel.selectedSeason = modelData

                        FocusRing {
                            shown: chip.activeFocus
                            radius: height / 2
                        }

                        contentItem: Text {
                            text: chip.text
                            color: chip.selected ? Brand.onPrimary : Brand.onBackground
                            font.pixelSize: TextStyle.callout
                            font.bold: chip.selected
                        }
                        background: Rectangle {
                            radius: height / 2
                            color: chip.selected ? Brand.primary : Brand.surface
                        }
                    }
                }

                ListView {
                    id: episodeList
                    objectName: "episodeList"
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    leftMargin: 20
                    rightMargin: 20
                    bottomMargin: 20
                    spacing: 10
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    // Tab enters the episodes at the one last used, the arrows move along them,
                    // Return or Space plays.
                    activeFocusOnTab: true
                    // The keyboard lands on an episode: the first one until one has been used.
                    onActiveFocusChanged: {
                        if (activeFocus && currentIndex < 0 && count > 0)
                            currentIndex = 0
                    }
                    model: detailModel.episodeRows
                    ScrollBar.vertical: ScrollBar {}

                    delegate: EpisodeRow {
                        required property int index
                        required property string episodeId
                        objectName: "episodeRow_" + episodeId
                        width: episodeList.width - 40
                        onClicked: view.screen.play(detailModel.queueAt(index))
                    }
                }
            }
        }
    }
}
