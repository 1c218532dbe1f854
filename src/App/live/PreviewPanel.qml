pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The right panel of the live section: the 16:9 slot the floating video lies over, the playback
// error with its retry, the selected channel's buttons and its guide.
ColumnLayout {
    id: panel

    required property ChannelsModel section
    required property ChannelsScreen screen
    // The black 16:9 area that the screen lays the floating video over.
    readonly property alias slotItem: slot

    readonly property var channel: section.selectedChannel
    readonly property bool hasChannel: channel !== undefined && channel !== null
    readonly property bool favorite: {
        FavoritesStore.items
        return hasChannel && section.isFavorite(channel)
    }

    spacing: 12

    Rectangle {
        id: slot
        objectName: "videoSlot"
        Layout.fillWidth: true
        // From the panel's width: the layout gives the slot its own width only after its height.
        Layout.preferredHeight: panel.width * 9 / 16
        Layout.minimumHeight: panel.width * 9 / 16
        radius: 10
        color: "black"
        Accessible.role: Accessible.Graphic
        Accessible.name: panel.hasChannel ? "Vista previa de " + panel.channel.name : "Vista previa"

        Text {
            objectName: "previewHint"
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 24)
            visible: !panel.hasChannel
            text: "Selecciona un canal para verlo aquí."
            color: Brand.secondaryText
            font.pixelSize: TextStyle.body
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }

    RowLayout {
        Layout.fillWidth: true
        visible: panel.section.playbackError.length > 0
        spacing: 12

        Text {
            objectName: "playbackError"
            Layout.fillWidth: true
            text: panel.section.playbackError
            color: Brand.error
            font.pixelSize: TextStyle.callout
            wrapMode: Text.WordWrap
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        BrandButton {
            objectName: "playbackRetry"
            text: "Reintentar"
            // Plays again without loading the guide again.
            onClicked: panel.screen.playback.retry()
        }
    }

    RowLayout {
        Layout.fillWidth: true
        visible: panel.hasChannel
        spacing: 10

        Text {
            objectName: "previewChannelName"
            Layout.fillWidth: true
            text: panel.hasChannel ? panel.channel.name : ""
            color: Brand.onBackground
            font.pixelSize: TextStyle.title - 3
            font.bold: true
            elide: Text.ElideRight
            maximumLineCount: 1
        }

        SymbolLabelButton {
            objectName: "playButton"
            text: "Reproducir"
            symbol: "play.fill"
            prominent: true
            onClicked: panel.screen.playback.enterFullscreen()
        }

        SymbolLabelButton {
            objectName: "favoriteButton"
            text: panel.favorite ? "Quitar" : "Favorito"
            symbol: panel.favorite ? "star.fill" : "star"
            onClicked: panel.section.toggleFavorite(panel.channel)
        }
    }

    // Keeps the slot at the top while there is no channel to show under it.
    Item {
        Layout.fillHeight: true
        visible: !panel.hasChannel
    }

    Text {
        Layout.topMargin: 4
        visible: panel.hasChannel
        text: "Programación"
        color: Brand.onBackground
        font.pixelSize: TextStyle.headline
        font.bold: true
        Accessible.role: Accessible.Heading
        Accessible.name: text
    }

    Item {
        Layout.fillWidth: true
        Layout.fillHeight: true
        visible: panel.hasChannel

        BusyIndicator {
            objectName: "guideSpinner"
            anchors.top: parent.top
            anchors.horizontalCenter: parent.horizontalCenter
            width: 32
            height: 32
            visible: !panel.section.epgLoaded
            running: visible
        }

        Text {
            objectName: "guideEmpty"
            visible: panel.section.epgLoaded && panel.section.epg.length === 0
            text: "Sin guía disponible para este canal."
            color: Brand.secondaryText
            font.pixelSize: TextStyle.callout
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        ListView {
            id: guide
            objectName: "guideList"
            anchors.fill: parent
            visible: panel.section.epgLoaded && panel.section.epg.length > 0
            clip: true
            spacing: 6
            boundsBehavior: Flickable.StopAtBounds
            // The on-air mark moves by itself while the guide stays open.
            model: GuideListModel {
                listings: panel.section.epg
            }
            ScrollBar.vertical: ScrollBar { }

            delegate: Row {
                id: listing

                required property string timeRange
                required property string title
                required property bool onAir

                width: ListView.view.width
                spacing: 8
                Accessible.role: Accessible.StaticText
                Accessible.name: timeRange + " " + title

                Text {
                    objectName: "guideTime"
                    width: 96
                    text: listing.timeRange
                    color: Brand.secondaryText
                    font: TextStyle.tabularDigits(TextStyle.caption)
                    anchors.baseline: titleText.baseline
                }

                Text {
                    id: titleText
                    objectName: "guideTitle"
                    width: listing.width - 104
                    text: listing.title
                    color: listing.onAir ? Brand.primary : Brand.onBackground
                    font.pixelSize: TextStyle.callout
                    font.bold: listing.onAir
                    wrapMode: Text.WordWrap
                }
            }
        }
    }
}
