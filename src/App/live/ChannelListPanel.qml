pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The middle panel of the live section: the chosen category's channels as a lazy list (only
// rows in view exist), or its loading, failure and empty states.
Item {
    id: panel

    required property ChannelsModel section
    required property ChannelsScreen screen

    readonly property int pane: screen.pane

    // The keyboard on the list, at the row last used.
    function focusList() {
        list.forceActiveFocus()
    }

    BusyIndicator {
        objectName: "channelsSpinner"
        anchors.centerIn: parent
        visible: panel.pane === ChannelsScreen.Loading
        running: visible
    }

    RetryBox {
        objectName: "channelsRetry"
        anchors.fill: parent
        visible: panel.pane === ChannelsScreen.Error
        message: panel.section.listError
        onAction: panel.screen.retry()
    }

    Text {
        objectName: "channelsEmpty"
        anchors.centerIn: parent
        width: Math.min(implicitWidth, parent.width - 24)
        visible: panel.pane === ChannelsScreen.Empty
        text: panel.screen.hintText
        color: Brand.secondaryText
        font.pixelSize: TextStyle.body
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.WordWrap
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    ListView {
        id: list
        objectName: "channelList"
        anchors.fill: parent
        visible: panel.pane === ChannelsScreen.Channels
        clip: true
        // Rows outside the view are not made, so their guides are never asked for.
        cacheBuffer: 0
        boundsBehavior: Flickable.StopAtBounds
        activeFocusOnTab: true
        // The keyboard lands on a row: the first one until a row has been used.
        onActiveFocusChanged: {
            if (activeFocus && currentIndex < 0 && count > 0)
                currentIndex = 0
        }
        model: panel.section.rows
        ScrollBar.vertical: ScrollBar { }

        // A channel chosen another way (Page Up/Down, the full-screen buttons) becomes the
        // current row, so the focus ring and Return are on the channel that plays.
        Connections {
            target: panel.section
            function onSelectedChannelChanged() {
                if (panel.section.selectedChannelRow >= 0)
                    list.currentIndex = panel.section.selectedChannelRow
            }
        }

        delegate: ChannelRowView {
            width: ListView.view.width
            section: panel.section
            onContextMenuRequested: (channel, isFavorite) => {
                menu.channel = channel
                menu.isFavorite = isFavorite
                menu.popup()
            }
        }
    }

    Menu {
        id: menu
        objectName: "channelMenu"

        // The row's channel and its mark when the menu opened.
        property channelRow channel
        property bool isFavorite

        MenuItem {
            objectName: "favoriteMenuItem"
            text: menu.isFavorite ? "Quitar de favoritos" : "Agregar a favoritos"
            Accessible.name: text
            // Like a click for a screen reader, which Qt 6.4 does not do by itself.
            Accessible.onPressAction: if (enabled) triggered()
            onTriggered: panel.section.toggleFavorite(menu.channel)
        }
    }
}
