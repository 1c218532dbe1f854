pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The progress display of a first whole-catalog download: a bar and a percentage when the total
// size is known, otherwise a spinner and the megabytes received so far.
Item {
    id: view

    // Bytes received (a 64-bit count; a double holds it exactly up to 8 PiB).
    property double bytes: 0
    // Fraction from 0 to 1; negative when the total is unknown.
    property double fraction: -1

    readonly property bool hasFraction: fraction >= 0
    readonly property string progressText: hasFraction ? CatalogLoadingText.forFraction(fraction)
                                                       : CatalogLoadingText.forBytes(bytes)

    implicitWidth: column.implicitWidth
    implicitHeight: column.implicitHeight

    Column {
        id: column
        anchors.centerIn: parent
        spacing: 12

        ProgressBar {
            objectName: "catalogProgressBar"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: view.hasFraction
            width: 240
            from: 0
            to: 1
            value: view.hasFraction ? view.fraction : 0
            Accessible.name: view.progressText

            background: Rectangle {
                implicitHeight: 6
                radius: 3
                color: Brand.surfaceVariant
            }
            contentItem: Item {
                implicitHeight: 6
                Rectangle {
                    width: parent.width * Math.max(0, Math.min(1, view.hasFraction ? view.fraction : 0))
                    height: parent.height
                    radius: 3
                    color: Brand.primary
                }
            }
        }

        BusyIndicator {
            objectName: "catalogSpinner"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: !view.hasFraction
            running: visible
            palette.dark: Brand.secondaryText
            Accessible.name: view.progressText
        }

        Text {
            objectName: "catalogProgressText"
            anchors.horizontalCenter: parent.horizontalCenter
            text: view.progressText
            color: Brand.secondaryText
            font.pixelSize: TextStyle.callout
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }

        Text {
            objectName: "catalogFirstTimeNote"
            anchors.horizontalCenter: parent.horizontalCenter
            text: CatalogLoadingText.firstTimeNote()
            color: Brand.secondaryText
            font.pixelSize: TextStyle.caption
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
