pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// One movie: poster, metadata, play buttons and the details. Loads its details when shown;
// back() returns to the grid, play(item) hands a queue item to whoever plays it.
Item {
    id: view

    property xtreamClient client
    property vodStream movie

    signal back()
    signal play(playableItem item)

    readonly property MovieDetailModel detail: detailModel

    // Set once the screen is shown; another movie given afterwards loads its own details.
    property bool shown: false

    MovieDetailModel {
        id: detailModel
        client: view.client
        movie: view.movie
        onMovieChanged: {
            if (view.shown)
                load()
        }
    }

    Component.onCompleted: {
        shown = true
        detailModel.load()
    }

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
                objectName: "movieTitle"
                Layout.fillWidth: true
                text: view.movie.name
                color: Brand.onBackground
                font.pixelSize: TextStyle.title
                font.bold: true
                elide: Text.ElideRight
                Accessible.role: Accessible.Heading
                Accessible.name: text
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.margins: 20
            spacing: 20

            PosterImage {
                objectName: "moviePoster"
                Layout.alignment: Qt.AlignTop
                Layout.preferredWidth: 220
                Layout.preferredHeight: 220 / 0.68
                url: detailModel.posterUrl
            }

            ScrollView {
                id: scroller
                Layout.fillWidth: true
                Layout.fillHeight: true
                contentWidth: availableWidth

                ColumnLayout {
                    width: scroller.availableWidth
                    spacing: 14

                    BusyIndicator {
                        objectName: "detailSpinner"
                        visible: detailModel.isLoading
                        running: visible
                    }

                    RetryBox {
                        objectName: "detailRetry"
                        Layout.fillWidth: true
                        visible: !detailModel.isLoading && detailModel.error !== ""
                        message: detailModel.error
                        onAction: detailModel.load()
                    }

                    ColumnLayout {
                        objectName: "detailContent"
                        Layout.fillWidth: true
                        visible: !detailModel.isLoading && detailModel.error === ""
                        spacing: 14

                        Text {
                            objectName: "metadataLine"
                            Layout.fillWidth: true
                            text: detailModel.metadataLine
                            color: Brand.secondaryText
                            font.pixelSize: TextStyle.callout
                            wrapMode: Text.WordWrap
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }

                        RowLayout {
                            spacing: 12

                            BrandButton {
                                objectName: "resumeButton"
                                prominent: true
                                Layout.minimumWidth: 140
                                text: detailModel.resumeLabel
                                contentItem: Row {
                                    spacing: 6
                                    SystemSymbol {
                                        anchors.verticalCenter: parent.verticalCenter
                                        name: "play.fill"
                                        color: Brand.onPrimary
                                    }
                                    Text {
                                        anchors.verticalCenter: parent.verticalCenter
                                        text: detailModel.resumeLabel
                                        color: Brand.onPrimary
                                        font.pixelSize: TextStyle.body
                                        font.weight: Font.DemiBold
                                    }
                                }
                                onClicked: view.play(detailModel.playableItem(false))
                            }

                            BrandButton {
                                objectName: "fromStartButton"
                                visible: detailModel.hasEntry
                                text: "Desde el inicio"
                                onClicked: view.play(detailModel.playableItem(true))
                            }
                        }

                        Repeater {
                            model: detailModel.detailBlocks

                            ColumnLayout {
                                id: block
                                required property detailBlock modelData
                                required property int index
                                Layout.fillWidth: true
                                spacing: 4

                                Text {
                                    objectName: "detailHeading_" + block.index
                                    text: block.modelData.heading
                                    color: Brand.onBackground
                                    font.pixelSize: TextStyle.caption
                                    font.bold: true
                                    Accessible.role: Accessible.Heading
                                    Accessible.name: text
                                }

                                Text {
                                    objectName: "detailText_" + block.index
                                    Layout.fillWidth: true
                                    text: block.modelData.text
                                    color: Brand.onBackground
                                    font.pixelSize: TextStyle.callout
                                    wrapMode: Text.WordWrap
                                    Accessible.role: Accessible.StaticText
                                    Accessible.name: text
                                }
                            }
                        }

                        Text {
                            objectName: "noDetailsText"
                            visible: detailModel.detailBlocks.length === 0
                            text: "Sin información adicional para esta película."
                            color: Brand.secondaryText
                            font.pixelSize: TextStyle.callout
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }
                }
            }
        }
    }
}
