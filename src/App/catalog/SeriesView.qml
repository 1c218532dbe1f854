import QtQuick
import Norvane

// The Series section: categories (with recent, favourites and continue-watching rows) and
// posters, a series' detail screen over the grid, and the player over everything while an
// episode plays.
Rectangle {
    id: view

    required property xtreamClient client

    signal back()

    readonly property SeriesModel model: seriesModel
    readonly property CatalogScreen screen: seriesScreen
    // The open detail (undefined for the grid) and the player over the section.
    property alias detail: seriesScreen.detail
    readonly property PlayerModel player: seriesScreen.player

    color: Brand.background
    // Escape closes an open detail screen before the section itself goes.
    Keys.onEscapePressed: event => {
        event.accepted = seriesScreen.hasDetail
        if (event.accepted)
            seriesScreen.closeDetail()
    }

    SeriesModel {
        id: seriesModel
        client: view.client
    }

    CatalogScreen {
        id: seriesScreen
        section: seriesModel
    }

    Component.onCompleted: seriesModel.loadCategories()

    CatalogBrowser {
        id: browser
        objectName: "seriesBrowser"
        anchors.fill: parent
        visible: !seriesScreen.hasDetail
        title: "Series"
        screen: seriesScreen
        onBack: view.back()
        onOpenRecord: record => seriesScreen.detail = record
        onOpenEntry: entry => seriesScreen.detail = DetailRules.seriesFromEntry(entry)
    }

    // Closing the detail, the keyboard is back on the card that opened it.
    FocusReturn {
        scope: browser
        active: seriesScreen.hasDetail
    }

    Loader {
        objectName: "seriesDetailLoader"
        anchors.fill: parent
        active: seriesScreen.hasDetail
        // The keyboard goes to the detail screen, so that Escape closes it.
        onLoaded: item.forceActiveFocus()
        sourceComponent: SeriesDetailView {
            objectName: "seriesDetail"
            client: view.client
            series: seriesScreen.detail
            screen: seriesScreen
            onBack: seriesScreen.closeDetail()
        }
    }

    PinSheet {
        objectName: "seriesPin"
        gate: seriesScreen.pinGate
    }

    PlayerLayer {
        objectName: "seriesPlayerLayer"
        anchors.fill: parent
        player: seriesScreen.player
    }
}
