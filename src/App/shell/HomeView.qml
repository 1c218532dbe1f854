import QtQuick
import Norvane

// Home: the main menu while no section is open, otherwise the open section inside its frame.
// Escape that no screen inside has used closes the section.
Rectangle {
    id: home

    required property AppModel app

    readonly property bool menuShown: app.openTab === undefined || app.openTab === null

    // The open tab's label; empty while the menu is coming back.
    function titleFor(tab) {
        return tab === undefined || tab === null ? "" : app.title(tab)
    }

    function closeSection() {
        app.openTab = undefined
    }

    // What the open tab shows: the section's own screen when there is a client; settings, and a
    // section without a client, show the bare frame.
    function screenFor(tab) {
        if (!app.hasClient)
            return scaffoldScreen
        switch (tab) {
        case AppModel.Live:
            return channelsScreen
        case AppModel.Movies:
            return moviesScreen
        case AppModel.Series:
            return seriesScreen
        case AppModel.Search:
            return searchScreen
        default:
            return scaffoldScreen
        }
    }

    color: Brand.background

    Loader {
        id: content
        objectName: "homeContent"
        anchors.fill: parent
        focus: true
        sourceComponent: home.menuShown ? mainMenu : home.screenFor(home.app.openTab)
        Keys.onEscapePressed: event => {
            if (home.menuShown)
                event.accepted = false
            else
                home.closeSection()
        }
    }

    Component {
        id: mainMenu
        MainMenuView {
            objectName: "mainMenu"
            app: home.app
        }
    }

    Component {
        id: scaffoldScreen
        SectionScaffold {
            objectName: "sectionScaffold"
            title: home.titleFor(home.app.openTab)
            onBack: home.closeSection()

            // The frame is no focus scope: the section inside has the keyboard.
            Loader {
                focus: true
                sourceComponent: home.app.openTab === AppModel.Settings ? settingsScreen : null
            }
        }
    }

    Component {
        id: channelsScreen
        ChannelsView {
            objectName: "channelsView"
            client: home.app.client
            onBack: home.closeSection()
        }
    }

    Component {
        id: moviesScreen
        CatalogView {
            objectName: "moviesView"
            client: home.app.client
            model: MoviesModel { client: home.app.client }
            onBack: home.closeSection()
        }
    }

    Component {
        id: seriesScreen
        CatalogView {
            objectName: "seriesView"
            client: home.app.client
            model: SeriesModel { client: home.app.client }
            onBack: home.closeSection()
        }
    }

    Component {
        id: searchScreen
        SearchView {
            objectName: "searchView"
            client: home.app.client
            onBack: home.closeSection()
        }
    }

    Component {
        id: settingsScreen
        SettingsView {
            objectName: "settingsView"
            app: home.app
        }
    }
}
