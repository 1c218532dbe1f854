import QtQuick
import Norvane

// The Series section: categories (with recent, favourites and continue-watching rows) and
// posters, a series' detail screen over the grid, and the player over everything while an
// episode plays.
Rectangle {
    id: view

    property xtreamClient client
    property var detail: null
    property PlayerModel player: null

    signal back()

    readonly property SeriesModel model: seriesModel
    readonly property var continueEntries: {
        ProgressStore.entries
        return ProgressStore.inProgressList("series")
    }
    readonly property var specials: {
        const rows = [{ id: "__recent__", label: "Recién agregadas", icon: "sparkles" },
                      { id: "__favorites__", label: "Favoritos", icon: "star.fill" }]
        if (continueEntries.length > 0)
            rows.push({ id: "__continue__", label: "Continuar viendo", icon: "play.circle" })
        return rows
    }

    // Lays a player model (owned by this view) over everything until it asks to close.
    function showPlayer(created) {
        created.closeRequested.connect(() => {
            if (view.player === created)
                view.player = null
            created.destroy(1000)
        })
        view.player = created
    }

    color: Brand.background

    SeriesModel {
        id: seriesModel
        client: view.client
    }

    Component.onCompleted: seriesModel.loadCategories()

    CatalogBrowser {
        objectName: "seriesBrowser"
        anchors.fill: parent
        visible: view.detail === null
        title: "Series"
        model: seriesModel
        specials: view.specials
        emptyText: "No hay series en esta categoría."
        isLocked: category => {
            seriesModel.unlockedCategories // read again when a category is unlocked
            return seriesModel.isLocked(category)
        }
        cards: seriesModel.itemCards
        isLoadingItems: seriesModel.isLoadingItems
        itemsError: seriesModel.itemsError
        continueEntries: view.continueEntries
        imageOf: record => record.cover
        favoriteOf: record => FavoritesStore.isFavorite("series", record.seriesId)
        favoritesHint: "Aún no tienes series favoritas.\nUsa clic derecho sobre una serie para agregarla."
        onBack: view.back()
        onLocked: category => pinGate.categoryClicked(category.categoryId)
        onOpenRecord: record => view.detail = record
        onOpenEntry: entry => view.detail = DetailRules.seriesFromEntry(entry)
        onToggleFavorite: record => seriesModel.toggleFavorite(record)
    }

    Loader {
        objectName: "seriesDetailLoader"
        anchors.fill: parent
        active: view.detail !== null
        sourceComponent: SeriesDetailView {
            objectName: "seriesDetail"
            client: view.client
            series: view.detail
            onBack: view.detail = null
            playerOwner: view
            onPlay: player => view.showPlayer(player)
        }
    }

    PinGate {
        id: pinGate
        section: seriesModel
    }

    PinSheet {
        objectName: "seriesPin"
        gate: pinGate
    }

    PlayerLayer {
        objectName: "seriesPlayerLayer"
        anchors.fill: parent
        player: view.player
    }
}
