import QtQuick
import Norvane

// The Movies section: categories on the left, posters on the right, a movie's detail screen over
// the grid, and the player over everything while a movie plays.
Rectangle {
    id: view

    required property xtreamClient client

    signal back()

    readonly property MoviesModel model: moviesModel
    readonly property CatalogScreen screen: moviesScreen
    // The open detail (undefined for the grid) and the player over the section.
    property alias detail: moviesScreen.detail
    readonly property PlayerModel player: moviesScreen.player

    color: Brand.background
    // Escape closes an open detail screen before the section itself goes.
    Keys.onEscapePressed: event => {
        event.accepted = moviesScreen.hasDetail
        if (event.accepted)
            moviesScreen.closeDetail()
    }

    MoviesModel {
        id: moviesModel
        client: view.client
    }

    CatalogScreen {
        id: moviesScreen
        section: moviesModel
    }

    Component.onCompleted: moviesModel.loadCategories()

    CatalogBrowser {
        id: browser
        objectName: "moviesBrowser"
        anchors.fill: parent
        visible: !moviesScreen.hasDetail
        title: "Películas"
        screen: moviesScreen
        onBack: view.back()
        onOpenRecord: record => moviesScreen.detail = record
        onOpenEntry: entry => moviesScreen.detail = DetailRules.movieFromEntry(entry)
    }

    // Closing the detail, the keyboard is back on the card that opened it.
    FocusReturn {
        scope: browser
        active: moviesScreen.hasDetail
    }

    Loader {
        objectName: "movieDetailLoader"
        anchors.fill: parent
        active: moviesScreen.hasDetail
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: MovieDetailView {
            objectName: "movieDetail"
            client: view.client
            movie: moviesScreen.detail
            onBack: moviesScreen.closeDetail()
            onPlay: item => moviesScreen.playItem(item)
        }
    }

    PinSheet {
        objectName: "moviesPin"
        gate: moviesScreen.pinGate
    }

    PlayerLayer {
        objectName: "moviesPlayerLayer"
        anchors.fill: parent
        player: moviesScreen.player
    }
}
