pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// One episode of a season (a row of EpisodeListModel): thumbnail with the watch bar,
// "E<n> · title", duration and "Visto", and two lines of plot. A click, or Return or Space while
// its list gives it the keyboard (with the ring), emits clicked().
AbstractButton {
    id: row

    required property string heading
    required property string durationText
    required property string plot
    required property string picture
    // The watch bar's share; negative for no bar.
    required property real barFraction
    required property bool watched
    readonly property bool hovering: hovered

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
                urlString: row.picture
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
                visible: row.barFraction >= 0
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
                    width: Math.max(0, row.barFraction) * 126
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
                    objectName: "episodeDuration"
                    visible: text !== ""
                    text: row.durationText
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.caption
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
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
                objectName: "episodePlot"
                Layout.fillWidth: true
                visible: text !== ""
                text: row.plot
                color: Brand.secondaryText
                font.pixelSize: TextStyle.caption
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
        }
    }
}
