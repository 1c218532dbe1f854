import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The Movies section: categories on the left, posters on the right, a movie's detail screen over
// the grid, and the player over everything while a movie plays.
Rectangle {
    id: view

    property xtreamClient client
    // The movie whose detail screen is open, or null for the grid.
    property var detail: null
    property PlayerModel player: null

    signal back()

    readonly property MoviesModel model: moviesModel
    readonly property bool hasDetail: view.detail !== null && view.detail !== undefined
    // Read again whenever the store changes, so rows and cards follow it at once.
    readonly property var continueEntries: {
        ProgressStore.entries
        return ProgressStore.inProgressList("movie")
    }
    readonly property var specials: {
        const rows = [{ id: "__recent__", label: "Recién agregadas", icon: "sparkles" }]
        if (continueEntries.length > 0)
            rows.push({ id: "__continue__", label: "Continuar viendo", icon: "play.circle" })
        return rows
    }

    function play(item) {
        const created = playerFactory.createObject(view, { queue: [item] })
        created.closeRequested.connect(() => {
            if (view.player === created)
                view.player = null
            created.destroy(1000)
        })
        view.player = created
    }

    color: Brand.background

    MoviesModel {
        id: moviesModel
        client: view.client
    }

    Component {
        id: playerFactory
        PlayerModel {}
    }

    Component.onCompleted: moviesModel.loadCategories()

    CatalogBrowser {
        objectName: "moviesBrowser"
        anchors.fill: parent
        visible: !view.hasDetail
        title: "Películas"
        model: moviesModel
        specials: view.specials
        emptyText: "No hay películas en esta categoría."
        isLocked: category => {
            moviesModel.unlockedCategories // read again when a category is unlocked
            return moviesModel.isLocked(category)
        }
        cards: moviesModel.movieCards
        isLoadingItems: moviesModel.isLoadingMovies
        itemsError: moviesModel.moviesError
        continueEntries: view.continueEntries
        onBack: view.back()
        onLocked: category => pinGate.categoryClicked(category.categoryId)
        onOpenRecord: record => view.detail = record
        onOpenEntry: entry => view.detail = DetailRules.movieFromEntry(entry)
    }

    Loader {
        objectName: "movieDetailLoader"
        anchors.fill: parent
        active: view.hasDetail
        sourceComponent: MovieDetailView {
            objectName: "movieDetail"
            client: view.client
            movie: view.detail
            onBack: view.detail = null
            onPlay: item => view.play(item)
        }
    }

    PinGate {
        id: pinGate
        section: moviesModel
    }

    PinSheet {
        objectName: "moviesPin"
        gate: pinGate
    }

    PlayerLayer {
        objectName: "moviesPlayerLayer"
        anchors.fill: parent
        player: view.player
    }
}
