pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// One episode of a season: thumbnail with the watch bar, "E<n> · title", duration and "Visto",
// and two lines of plot. A click, or Return or Space while its list gives it the keyboard (with
// the ring), emits clicked().
AbstractButton {
    id: row

    required property episode episode
    property string seriesCover
    // The episode's progress entry, or undefined.
    property var entry: undefined
    readonly property bool hovering: hovered
    readonly property var barFraction: DetailRules.barFraction(entry)
    readonly property bool watched: DetailRules.isWatched(entry)
    readonly property string heading: "E" + episode.episodeNum + " · " + episode.title

    hoverEnabled: true
    padding: 10
    // The list moves the keyboard focus between rows; a click does not take it.
    focusPolicy: Qt.NoFocus
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()
    Accessible.name: heading + (watched ? ", visto" : "")

    // Inside the row: the list clips what lies outside it.
    FocusRing {
        shown: row.activeFocus
        gap: -1
        radius: 9
    }

    background: Rectangle {
        radius: 10
        color: row.hovering ? Brand.surfaceVariant : Brand.surface
    }

    contentItem: RowLayout {
        spacing: 12

        Rectangle {
            id: thumbnail
            objectName: "thumbnail"
            Layout.alignment: Qt.AlignTop
            Layout.preferredWidth: 126
            Layout.preferredHeight: 126 * 9 / 16
            radius: 6
            color: Brand.background
            clip: true

            RemoteImage {
                objectName: "thumbnailImage"
                anchors.fill: parent
                radius: thumbnail.radius
                urlString: row.episode.image !== "" ? row.episode.image : row.seriesCover
                placeholder: Component {
                    Item {
                        SystemSymbol {
                            anchors.centerIn: parent
                            name: "film"
                            color: Brand.secondaryText
                        }
                    }
                }
            }

            // Inside the rounded corners: track and fill are each the thumbnail's rounded shape
            // cut to the bar's height (the fill also to its width).
            Item {
                objectName: "episodeBar"
                visible: row.barFraction !== undefined
                anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
                height: 4
                clip: true

                Rectangle {
                    anchors.bottom: parent.bottom
                    width: thumbnail.width
                    height: thumbnail.height
                    radius: thumbnail.radius
                    color: Qt.rgba(1, 1, 1, 0.25)
                }

                Item {
                    objectName: "episodeBarFill"
                    height: parent.height
                    width: row.barFraction !== undefined ? row.barFraction * 126 : 0
                    clip: true

                    Rectangle {
                        anchors.bottom: parent.bottom
                        width: thumbnail.width
                        height: thumbnail.height
                        radius: thumbnail.radius
                        color: Brand.primary
                    }
                }
            }
        }

        ColumnLayout {
            Layout.alignment: Qt.AlignTop
            Layout.fillWidth: true
            spacing: 4

            Text {
                Layout.fillWidth: true
                text: row.heading
                color: Brand.onBackground
                font.pixelSize: TextStyle.callout
                font.bold: true
                elide: Text.ElideRight
            }

            Row {
                spacing: 8

                Text {
                    visible: row.episode.durationText !== ""
                    text: row.episode.durationText
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.caption
                }

                Row {
                    objectName: "watchedMark"
                    visible: row.watched
                    spacing: 3

                    SystemSymbol {
                        name: "checkmark.circle.fill"
                        size: TextStyle.caption
                        color: Brand.primary
                    }

                    Text {
                        text: "Visto"
                        color: Brand.primary
                        font.pixelSize: TextStyle.caption
                    }
                }
            }

            Text {
                Layout.fillWidth: true
                visible: text !== ""
                text: row.episode.plot
                color: Brand.secondaryText
                font.pixelSize: TextStyle.caption
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
        }
    }
}
