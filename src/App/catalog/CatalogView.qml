import QtQuick
import Norvane

// A catalog section, movies or series after its model: categories on the left, posters on the
// right, a movie's or a series' detail screen over the grid, and the player over everything while
// something plays. Escape closes an open detail before the section itself goes (CatalogScreen).
Rectangle {
    id: catalogView

    required property xtreamClient client
    // MoviesModel or SeriesModel, made for this visit: `model: MoviesModel { client: ... }`.
    required property CatalogSectionModel model

    signal back()

    readonly property CatalogScreen screen: catalogScreen
    // The open detail (undefined for the grid) and the player over the section.
    property alias detail: catalogScreen.detail
    readonly property PlayerModel player: catalogScreen.player

    color: Brand.background

    CatalogScreen {
        id: catalogScreen
        model: catalogView.model
        view: catalogView
    }

    Component.onCompleted: catalogView.model.loadCategories()

    CatalogBrowser {
        id: browser
        objectName: "catalogBrowser"
        anchors.fill: parent
        visible: !catalogScreen.hasDetail
        title: catalogView.model.title
        screen: catalogScreen
        onBack: catalogView.back()
    }

    // Closing the detail, the keyboard is back on the card that opened it.
    FocusReturn {
        scope: browser
        active: catalogScreen.hasDetail
    }

    Loader {
        objectName: "movieDetailLoader"
        anchors.fill: parent
        active: catalogScreen.detailKind === SectionScreen.Movie
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: MovieDetailView {
            objectName: "movieDetail"
            client: catalogView.client
            movie: catalogScreen.detail
            onBack: catalogScreen.closeDetail()
            onPlay: item => catalogScreen.playItem(item)
        }
    }

    Loader {
        objectName: "seriesDetailLoader"
        anchors.fill: parent
        active: catalogScreen.detailKind === SectionScreen.Series
        onLoaded: item.forceActiveFocus()
        sourceComponent: SeriesDetailView {
            objectName: "seriesDetail"
            client: catalogView.client
            series: catalogScreen.detail
            screen: catalogScreen
            onBack: catalogScreen.closeDetail()
        }
    }

    PinSheet {
        objectName: "pinSheet"
        gate: catalogScreen.pinGate
    }

    PlayerLayer {
        objectName: "playerLayer"
        anchors.fill: parent
        player: catalogScreen.player
    }
}
