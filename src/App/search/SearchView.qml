import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The "Buscar" section: kind chips, the search field and the matches (channels as rows, movies
// and series as posters). A match opens its detail screen here, or the channel full screen; the
// player or the live view lie over everything while they are open.
Rectangle {
    id: view

    required property xtreamClient client

    signal back()

    readonly property SearchModel model: searchModel
    readonly property SearchScreen screen: searchScreen
    readonly property int detailKind: searchScreen.detailKind

    color: Brand.background
    // Escape closes an open detail screen before the section itself goes.
    Keys.onEscapePressed: event => {
        event.accepted = searchScreen.hasDetail
        if (event.accepted)
            searchScreen.closeDetail()
    }

    SearchModel {
        id: searchModel
        client: view.client
    }

    SearchScreen {
        id: searchScreen
        model: searchModel
    }

    Component.onCompleted: searchModel.ensureLoaded()

    Loader {
        objectName: "searchMovieDetail"
        anchors.fill: parent
        active: view.detailKind === SearchScreen.Movie
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: MovieDetailView {
            client: view.client
            movie: searchScreen.detail
            onBack: searchScreen.closeDetail()
            onPlay: item => searchScreen.playItem(item)
        }
    }

    Loader {
        objectName: "searchSeriesDetail"
        anchors.fill: parent
        active: view.detailKind === SearchScreen.Series
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: SeriesDetailView {
            client: view.client
            series: searchScreen.detail
            screen: searchScreen
            onBack: searchScreen.closeDetail()
        }
    }

    // Closing a detail, the keyboard is back on the result that opened it.
    FocusReturn {
        scope: searchScaffold
        active: searchScreen.hasDetail
    }

    SectionScaffold {
        id: searchScaffold
        objectName: "searchScreen"
        anchors.fill: parent
        visible: view.detailKind !== SearchScreen.Movie && view.detailKind !== SearchScreen.Series
        title: "Buscar"
        onBack: view.back()

        ColumnLayout {
            spacing: 0

            Row {
                Layout.leftMargin: 20
                Layout.rightMargin: 20
                spacing: 8

                Repeater {
                    model: searchModel.kindLabels

                    AbstractButton {
                        id: chip
                        required property int index
                        required property string modelData
                        readonly property bool selected: searchModel.kind === index
                        objectName: "kindChip_" + index
                        text: modelData
                        leftPadding: 14
                        rightPadding: 14
                        topPadding: 7
                        bottomPadding: 7
                        Accessible.role: Accessible.Button
                        Accessible.onPressAction: if (enabled) clicked()
                        Accessible.name: text
                        Accessible.checked: selected
                        onClicked: searchScreen.selectKind(index)

                        FocusRing { radius: height / 2 }

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
            }

            Rectangle {
                Layout.fillWidth: true
                Layout.leftMargin: 20
                Layout.rightMargin: 20
                Layout.topMargin: 10
                Layout.bottomMargin: 10
                implicitHeight: fieldRow.implicitHeight + 24
                radius: 10
                color: Brand.surface

                RowLayout {
                    id: fieldRow
                    anchors { fill: parent; margins: 12 }
                    spacing: 8

                    SystemSymbol {
                        name: "magnifyingglass"
                        color: Brand.secondaryText
                    }

                    TextField {
                        id: field
                        objectName: "searchField"
                        Layout.fillWidth: true
                        placeholderText: "Buscar..."
                        placeholderTextColor: Brand.secondaryText
                        color: Brand.onBackground
                        font.pixelSize: TextStyle.body
                        background: null
                        padding: 0
                        text: searchModel.query
                        Accessible.name: "Buscar"
                        onTextEdited: searchModel.query = text
                    }
                }
            }

            Item {
                id: results
                objectName: "results"
                Layout.fillWidth: true
                Layout.fillHeight: true

                readonly property int shown: searchScreen.pane

                BusyIndicator {
                    objectName: "searchSpinner"
                    anchors.centerIn: parent
                    visible: results.shown === SearchScreen.Loading
                    running: visible
                }

                RetryBox {
                    objectName: "searchRetry"
                    anchors.fill: parent
                    visible: results.shown === SearchScreen.Error
                    message: searchModel.loadError
                    onAction: searchScreen.retry()
                }

                Text {
                    objectName: "searchHint"
                    anchors.centerIn: parent
                    visible: results.shown === SearchScreen.Hint
                    text: "Escribe al menos 2 letras para buscar."
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.body
                }

                Text {
                    objectName: "noResults"
                    anchors.centerIn: parent
                    visible: results.shown === SearchScreen.Empty
                    text: "Sin resultados."
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.body
                }

                ListView {
                    id: channelList
                    objectName: "channelResults"
                    anchors.fill: parent
                    visible: results.shown === SearchScreen.Results && searchModel.kind === SearchModel.Live
                    model: visible ? searchModel.channelResults : []
                    leftMargin: 20
                    rightMargin: 20
                    topMargin: 20
                    bottomMargin: 20
                    spacing: 6
                    clip: true
                    boundsBehavior: Flickable.StopAtBounds
                    ScrollBar.vertical: ScrollBar {}

                    delegate: AbstractButton {
                        id: channelButton
                        required property var modelData
                        required property int index
                        objectName: "channelResult_" + index
                        width: channelList.width - 40
                        padding: 10
                        Accessible.role: Accessible.Button
                        Accessible.onPressAction: if (enabled) clicked()
                        Accessible.name: modelData.name
                        onClicked: searchScreen.detail = channelButton.modelData

                        FocusRing { }

                        background: Rectangle {
                            radius: 8
                            color: channelButton.hovered ? Brand.surfaceVariant : Brand.surface
                        }
                        contentItem: RowLayout {
                            spacing: 10

                            RemoteImage {
                                objectName: "logoImage"
                                Layout.preferredWidth: 40
                                Layout.preferredHeight: 40
                                fillMode: RemoteImage.PreserveAspectFit
                                urlString: channelButton.modelData.iconURL
                                placeholder: Component {
                                    Item {
                                        SystemSymbol {
                                            anchors.centerIn: parent
                                            name: "play.circle"
                                            size: 24
                                            color: Brand.primary
                                        }
                                    }
                                }
                            }

                            Text {
                                Layout.fillWidth: true
                                text: channelButton.modelData.name
                                color: Brand.onBackground
                                font.pixelSize: TextStyle.body
                                elide: Text.ElideRight
                            }
                        }
                    }
                }

                PosterGrid {
                    id: posterResults
                    objectName: "posterResults"
                    anchors.fill: parent
                    rowGap: 20
                    visible: results.shown === SearchScreen.Results && searchModel.kind !== SearchModel.Live
                    readonly property bool isMovies: searchModel.kind === SearchModel.Movies
                    model: !visible ? [] : isMovies ? searchModel.movieResults : searchModel.seriesResults

                    delegate: FocusScope {
                        id: resultCell
                        required property var modelData
                        required property int index
                        width: posterResults.cellWidth
                        height: posterResults.cellHeight

                        PosterCard {
                            objectName: "resultCard_" + resultCell.index
                            width: posterResults.cellSize
                            focus: true
                            title: resultCell.modelData.name
                            imageUrl: posterResults.isMovies ? resultCell.modelData.streamIcon : resultCell.modelData.cover
                            onClicked: {
                                searchScreen.detail = resultCell.modelData
                            }
                        }
                    }
                }
            }
        }
    }

    PlayerLayer {
        objectName: "searchPlayerLayer"
        anchors.fill: parent
        player: searchScreen.player
    }

    // The live channel full screen.
    Item {
        id: liveLayer
        objectName: "searchLiveLayer"
        anchors.fill: parent
        property Item screen: null
        opacity: view.detailKind === SearchScreen.Channel ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        onVisibleChanged: {
            if (!visible && screen) {
                screen.destroy()
                screen = null
            }
        }

        Connections {
            target: searchScreen
            function onDetailChanged() {
                if (view.detailKind !== SearchScreen.Channel)
                    return
                if (liveLayer.screen)
                    liveLayer.screen.destroy()
                liveLayer.screen = liveScreen.createObject(liveLayer, { client: view.client, channel: searchScreen.detail })
            }
        }

        Component {
            id: liveScreen
            LiveFullscreenView {
                objectName: "liveFullscreen"
                anchors.fill: parent
                onClose: searchScreen.closeDetail()
            }
        }
    }
}
