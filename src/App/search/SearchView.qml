import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The "Buscar" section: kind chips, the search field and the matches (channels as rows, movies
// and series as posters). A match opens its detail screen here, or the channel full screen; the
// player or the live view lie over everything while they are open. The field has the keyboard
// when the section opens; Escape closes an open detail before the section goes (SearchScreen).
Rectangle {
    id: searchView

    required property xtreamClient client

    signal back()

    readonly property SearchModel model: searchModel
    readonly property SearchScreen screen: searchScreen
    readonly property int detailKind: searchScreen.detailKind

    color: Brand.background

    SearchModel {
        id: searchModel
        client: searchView.client
    }

    SearchScreen {
        id: searchScreen
        model: searchModel
        view: searchView
    }

    Component.onCompleted: {
        searchModel.ensureLoaded()
        field.forceActiveFocus()
    }

    Loader {
        objectName: "searchMovieDetail"
        anchors.fill: parent
        active: searchView.detailKind === SectionScreen.Movie
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: MovieDetailView {
            client: searchView.client
            movie: searchScreen.detail
            onBack: searchScreen.closeDetail()
            onPlay: item => searchScreen.playItem(item)
        }
    }

    Loader {
        objectName: "searchSeriesDetail"
        anchors.fill: parent
        active: searchView.detailKind === SectionScreen.Series
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: SeriesDetailView {
            client: searchView.client
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
        visible: searchView.detailKind !== SectionScreen.Movie && searchView.detailKind !== SectionScreen.Series
        title: "Buscar"
        onBack: searchView.back()

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
                    visible: text !== ""
                    text: searchScreen.hintText
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
                    model: searchModel.kind === SearchModel.Live ? searchModel.rows : null
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
                        required property int index
                        required property string name
                        required property string iconURL
                        objectName: "channelResult_" + index
                        width: channelList.width - 40
                        padding: 10
                        Accessible.role: Accessible.Button
                        Accessible.onPressAction: if (enabled) clicked()
                        Accessible.name: name
                        onClicked: searchScreen.openResult(index)

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
                                urlString: channelButton.iconURL
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
                                text: channelButton.name
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
                    model: searchModel.kind !== SearchModel.Live ? searchModel.rows : null

                    delegate: FocusScope {
                        id: resultCell
                        required property int index
                        required property string title
                        required property string artwork
                        width: posterResults.cellWidth
                        height: posterResults.cellHeight

                        PosterCard {
                            objectName: "resultCard_" + resultCell.index
                            width: posterResults.cellSize
                            focus: true
                            title: resultCell.title
                            imageUrl: resultCell.artwork
                            onClicked: searchScreen.openResult(resultCell.index)
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
        opacity: searchView.detailKind === SectionScreen.Channel ? 1 : 0
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
                if (searchView.detailKind !== SectionScreen.Channel)
                    return
                if (liveLayer.screen)
                    liveLayer.screen.destroy()
                liveLayer.screen = liveScreen.createObject(liveLayer, { client: searchView.client, channel: searchScreen.detail })
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
