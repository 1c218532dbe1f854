pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// One channel of the list (a row of ChannelListModel): number, logo, name, the title on air and
// the favourite star. It asks for the title on air when it is created, which the lazy list does
// only for rows in view.
AbstractButton {
    id: row

    required property int index
    required property string streamId
    required property string num
    required property string name
    required property string iconURL
    required property string nowTitle
    required property bool isFavorite
    required property channelRow channel
    required property ChannelsModel section

    readonly property bool selected: section.selectedChannel !== undefined
                                     && section.selectedChannel.streamId === streamId

    signal contextMenuRequested(channelRow channel, bool isFavorite)

    objectName: "channelRow_" + streamId
    hoverEnabled: true
    leftPadding: 10
    rightPadding: 10
    topPadding: 5
    bottomPadding: 5
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: name
    Accessible.description: nowTitle.length > 0 ? "Ahora: " + nowTitle : ""

    // The list moves the keyboard focus between rows; a click does not take it.
    focusPolicy: Qt.NoFocus
    onClicked: {
        ListView.view.currentIndex = index
        section.select(channel)
    }
    // The menu key opens the row's menu, as a right click does.
    Keys.onMenuPressed: contextMenuRequested(channel, isFavorite)
    Component.onCompleted: section.loadNowPlaying(streamId)

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: row.contextMenuRequested(row.channel, row.isFavorite)
    }

    contentItem: Item {
        implicitHeight: 44

        Row {
            id: content
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - (star.visible ? star.width + 8 : 0)
            spacing: 10

            Text {
                objectName: "channelNumber"
                anchors.verticalCenter: parent.verticalCenter
                visible: row.num.length > 0
                width: Math.max(28, implicitWidth)
                text: row.num
                color: Brand.secondaryText
                font: TextStyle.tabularDigits(TextStyle.caption)
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            ChannelLogo {
                anchors.verticalCenter: parent.verticalCenter
                size: 34
                urlString: row.iconURL
            }

            Column {
                anchors.verticalCenter: parent.verticalCenter
                width: content.width - x
                spacing: 2

                Text {
                    width: parent.width
                    text: row.name
                    color: Brand.onBackground
                    font.pixelSize: TextStyle.body
                    elide: Text.ElideRight
                }

                Text {
                    objectName: "nowLine"
                    width: parent.width
                    visible: row.nowTitle.length > 0
                    text: "Ahora: " + row.nowTitle
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.caption - 1
                    elide: Text.ElideRight
                }
            }
        }

        SystemSymbol {
            id: star
            objectName: "favoriteStar"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            visible: row.isFavorite
            name: "star.fill"
            size: TextStyle.caption + 2
            color: Brand.primary
        }
    }

    FocusRing {
        shown: row.activeFocus
        gap: -1
        radius: 5
    }

    background: Rectangle {
        radius: 6
        color: row.selected ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.18)
                            : (row.hovered ? Qt.rgba(1, 1, 1, 0.04) : "transparent")
    }
}
