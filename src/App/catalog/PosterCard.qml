pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// One poster of a grid: the picture (2:2.94) with an optional favourite star and progress bar,
// and the title below. Hovering draws a border; a click, or Return or Space while its grid gives
// it the keyboard (with the ring), emits clicked().
AbstractButton {
    id: card

    property string title
    property string imageUrl
    // The watch bar's share, 0 to 1; negative for no bar.
    property real progress: -1
    property bool isFavorite: false
    readonly property bool hovering: hovered
    readonly property bool hasProgress: progress >= 0

    hoverEnabled: true
    padding: 0
    // The grid moves the keyboard focus between cards; a click does not take it.
    focusPolicy: Qt.NoFocus
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: title

    FocusRing {
        shown: card.activeFocus
        radius: 10 + gap
    }

    contentItem: Column {
        spacing: 6

        Rectangle {
            id: poster
            objectName: "poster"
            width: card.width
            height: width / 0.68
            radius: 10
            color: Brand.surface
            clip: true

            RemoteImage {
                anchors.fill: parent
                urlString: card.imageUrl
                fillMode: RemoteImage.PreserveAspectCrop
                radius: poster.radius
                placeholder: Component {
                    Item {
                        SystemSymbol {
                            anchors.centerIn: parent
                            name: "film"
                            size: 28
                            color: Brand.secondaryText
                        }
                    }
                }
            }

            Rectangle {
                objectName: "favoriteMark"
                visible: card.isFavorite
                anchors { top: parent.top; right: parent.right; margins: 6 }
                width: star.implicitWidth + 10
                height: width
                radius: width / 2
                color: Qt.rgba(0, 0, 0, 0.5)

                SystemSymbol {
                    id: star
                    anchors.centerIn: parent
                    name: "star.fill"
                    size: TextStyle.caption
                    color: Brand.primary
                }
            }

            // The bar follows the poster's rounded bottom: each part shows the lowest 4 px of a
            // poster-sized rounded shape.
            Item {
                objectName: "progressTrack"
                visible: card.hasProgress
                anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                height: 4
                clip: true

                Rectangle {
                    anchors.bottom: parent.bottom
                    width: poster.width
                    height: poster.height
                    radius: poster.radius
                    color: Qt.rgba(1, 1, 1, 0.25)
                }

                Item {
                    objectName: "progressFill"
                    height: parent.height
                    width: card.hasProgress ? Math.max(0, Math.min(1, card.progress)) * parent.width : 0
                    clip: true

                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: poster.width
                        height: poster.height
                        radius: poster.radius
                        color: Brand.primary
                    }
                }
            }

            Rectangle {
                anchors.fill: parent
                radius: parent.radius
                color: "transparent"
                border.width: card.hovering ? 2 : 0
                border.color: Brand.primary
            }
        }

        Text {
            width: card.width
            text: card.title
            color: Brand.onBackground
            font.pixelSize: TextStyle.caption
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }
}
