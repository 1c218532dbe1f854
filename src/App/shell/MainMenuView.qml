pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The full-window launcher: logo, wordmark, tagline and clock above six image cards, one per
// section and a last one that quits. Entering a card plays the menu sound once for that card.
// The keyboard starts on the first card; Tab or the arrows move between cards, Return or Space
// opens one.
Rectangle {
    id: menu

    required property AppModel app

    property snapshot now: ClockText.snapshot()
    property bool showVersion: false
    // Tunable for tests.
    property int clockInterval: 10000
    property int versionDuration: 2500

    // A constant table of the cards' tabs and artwork; QML 6.4 has no typed list of such pairs.
    readonly property var cards: [
        { tab: AppModel.Live, imageName: "MenuCardLive" },
        { tab: AppModel.Movies, imageName: "MenuCardMovies" },
        { tab: AppModel.Series, imageName: "MenuCardSeries" },
        { tab: AppModel.Search, imageName: "MenuCardSearch" },
        { tab: AppModel.Settings, imageName: "MenuCardSettings" },
        { tab: -1, imageName: "MenuCardExit" }
    ]

    function openCard(index) {
        const tab = cards[index].tab
        if (tab < 0)
            Qt.quit()
        else
            app.openTab = tab
    }

    // Focuses the card at index (with its ring), when there is one.
    function focusCard(index) {
        if (index >= 0 && index < cards.length)
            cardRepeater.itemAt(index).forceActiveFocus(Qt.TabFocusReason)
    }

    function cardHoverChanged(index, hovering) {
        if (hovering)
            MenuSound.play(index)
        else
            MenuSound.lastIndex = -1
    }

    function revealVersion() {
        showVersion = true
        // Like one timed task per click: the first one to end hides it.
        if (!versionTimer.running)
            versionTimer.start()
    }

    color: Brand.launcherBackground

    RadialGlow {
        objectName: "purpleGlow"
        anchors.fill: parent
        color: Qt.rgba(177 / 255, 75 / 255, 244 / 255, 1)
        centerOpacity: 0.31
        center: Qt.point(0.12, 1.05)
        radius: 0.55
    }

    RadialGlow {
        objectName: "blueGlow"
        anchors.fill: parent
        color: Qt.rgba(32 / 255, 180 / 255, 255 / 255, 1)
        centerOpacity: 0.20
        center: Qt.point(0.90, 1.10)
        radius: 0.45
    }

    Timer {
        objectName: "clockTick"
        interval: menu.clockInterval
        running: true
        repeat: true
        onTriggered: menu.now = ClockText.snapshot()
    }

    Timer {
        id: versionTimer
        interval: menu.versionDuration
        onTriggered: menu.showVersion = false
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 24
        spacing: 16

        RowLayout {
            objectName: "menuHeader"
            Layout.fillWidth: true
            spacing: 12

            AbstractButton {
                id: logoButton
                objectName: "logoButton"
                Layout.preferredWidth: 54
                Layout.preferredHeight: 54
                padding: 0
                onClicked: menu.revealVersion()
                Accessible.role: Accessible.Button
                Accessible.onPressAction: if (enabled) clicked()
                Accessible.name: "Norvane, ver versión"

                FocusRing { radius: 12 }

                contentItem: Image {
                    source: "qrc:/assets/Logo.svg"
                    sourceSize: Qt.size(108, 108)
                    fillMode: Image.PreserveAspectFit
                }
                background: null

                Popup {
                    id: versionPopover
                    objectName: "versionPopover"
                    y: logoButton.height + 8
                    visible: menu.showVersion
                    padding: 10
                    closePolicy: Popup.NoAutoClose
                    onClosed: menu.showVersion = false

                    background: Rectangle {
                        radius: 8
                        color: Brand.surfaceVariant
                        border.color: Qt.rgba(1, 1, 1, 0.08)
                    }
                    contentItem: Text {
                        objectName: "versionText"
                        text: "Norvane " + AppInfo.version
                        color: Brand.onBackground
                        font.pixelSize: TextStyle.body
                    }
                }
            }

            ColumnLayout {
                spacing: 2

                GradientText {
                    objectName: "wordmark"
                    text: "NORVANE"
                    font.pixelSize: 30
                    font.bold: true
                    colors: Brand.neon
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Text {
                    objectName: "tagline"
                    text: "Conéctate… disfruta… relájate…"
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.callout
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }

            Item { Layout.fillWidth: true }

            ColumnLayout {
                spacing: 2

                Text {
                    objectName: "clockTime"
                    Layout.alignment: Qt.AlignRight
                    text: menu.now.time
                    color: Brand.onBackground
                    font.pixelSize: 26
                    font.bold: true
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }

                Text {
                    objectName: "clockDate"
                    Layout.alignment: Qt.AlignRight
                    text: menu.now.date
                    color: Brand.secondaryText
                    font.pixelSize: TextStyle.callout
                    Accessible.role: Accessible.StaticText
                    Accessible.name: text
                }
            }
        }

        Item {
            id: cardRow
            objectName: "cardRow"
            Layout.fillWidth: true
            Layout.fillHeight: true

            readonly property real cardWidth: MenuLayout.cardWidth(width, menu.cards.length, MenuLayout.cardSpacing)

            Row {
                anchors.fill: parent
                spacing: MenuLayout.cardSpacing

                Repeater {
                    id: cardRepeater
                    model: menu.cards.length

                    MenuCard {
                        required property int index
                        readonly property int tab: menu.cards[index].tab

                        objectName: "menuCard" + index
                        focus: index === 0
                        width: cardRow.cardWidth
                        height: cardRow.height
                        imageName: menu.cards[index].imageName
                        Accessible.name: tab < 0 ? "Salir" : menu.app.title(tab)
                        onClicked: menu.openCard(index)
                        onHoverChange: hovering => menu.cardHoverChanged(index, hovering)
                        Keys.onLeftPressed: menu.focusCard(index - 1)
                        Keys.onRightPressed: menu.focusCard(index + 1)
                    }
                }
            }
        }
    }
}
