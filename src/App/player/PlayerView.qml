import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The full-window player of movies and episodes: the engine's picture, click zones (one click
// shows or hides the controls, a double click skips 10 s), auto-hiding controls, and the error
// and up-next overlays of the model. Everything goes through the model or the engine.
Rectangle {
    id: view

    required property PlayerModel model
    // The engine whose picture and state are shown (the shared one unless a test gives its own).
    property var engine: VLCEngine
    // How long the controls stay after the last use, and how long a skip hint shows.
    property alias hideDelayMs: autoHide.hideDelayMs
    property int skipHintMs: 700

    property alias showControls: autoHide.showControls
    property bool dragging: false
    property real dragValue: 0
    // { side: -1 | 1, id: n } while a skip hint is on screen.
    property var skipHint: null

    readonly property bool isBuffering: engine.status === VLCEngine.Opening || engine.status === VLCEngine.Buffering
    readonly property bool controlsShown: showControls && !model.showUpNext
    readonly property bool hasNext: model.canPlayNext

    function scheduleHide() {
        autoHide.scheduleHide()
    }

    function toggleControls() {
        autoHide.toggleControls()
    }

    // After every control of the bottom bar: keep the controls 4 s more.
    function touched() {
        autoHide.showAndScheduleHide()
    }

    function skipBy(side) {
        model.skip(side * 10)
        skipHint = { side: side, id: (skipHint ? skipHint.id : 0) + 1 }
        hintClear.createObject(view)
    }

    // Fills a track menu with the engine's tracks as they are now (after its fixed entries) and
    // opens it.
    function openTrackMenu(menu, tracks, audio) {
        const fixed = audio ? 0 : 1
        while (menu.count > fixed)
            menu.removeItem(menu.itemAt(fixed))
        for (let i = 0; i < tracks.length; ++i) {
            const track = tracks[i]
            menu.addItem(trackEntry.createObject(null, {
                objectName: (audio ? "audioTrack_" : "subtitleTrack_") + track.id,
                text: track.name,
                trackId: track.id,
                audio: audio
            }))
        }
        menu.open()
        touched()
    }

    function endDrag() {
        dragging = false
        // The engine takes a 32-bit millisecond time.
        engine.seek(Math.min(2147483647, Math.max(0, Math.round(dragValue))))
        touched()
    }

    color: "black"
    Accessible.role: Accessible.Pane
    Accessible.name: "Reproductor"

    Component.onCompleted: {
        model.playCurrent(model.currentItem.startTimeMs)
        scheduleHide()
    }

    // One per hint: clears whatever hint is shown when it fires, then goes away.
    Component {
        id: hintClear
        Timer {
            id: clearTimer
            interval: view.skipHintMs
            running: true
            onTriggered: {
                view.skipHint = null
                clearTimer.destroy()
            }
        }
    }

    Component {
        id: trackEntry
        MenuItem {
            property int trackId
            property bool audio
            Accessible.name: text
            onTriggered: {
                if (audio)
                    view.engine.selectAudioTrack(trackId)
                else
                    view.engine.selectSubtitleTrack(trackId)
                view.touched()
            }
        }
    }

    ControlsAutoHide {
        id: autoHide
        objectName: "autoHide"
    }

    VLCPlayerView {
        objectName: "videoView"
        anchors.fill: parent
        color: "black"
    }

    Row {
        anchors.fill: parent

        Repeater {
            model: [-1, 1]

            MouseArea {
                required property int modelData
                objectName: modelData < 0 ? "zoneLeft" : "zoneRight"
                width: view.width / 2
                height: view.height
                // A single click waits for the double-click interval so that a skip does not
                // also toggle the controls.
                onClicked: singleClick.restart()
                onDoubleClicked: {
                    singleClick.stop()
                    view.skipBy(modelData)
                }
                Accessible.role: Accessible.Button
                Accessible.name: modelData < 0 ? "Retroceder 10 segundos" : "Avanzar 10 segundos"

                Timer {
                    id: singleClick
                    interval: Qt.styleHints.mouseDoubleClickInterval
                    onTriggered: view.toggleControls()
                }
            }
        }
    }

    Item {
        id: hintLayer
        anchors.fill: parent

        Rectangle {
            objectName: "skipHint"
            readonly property int side: view.skipHint ? view.skipHint.side : 1
            visible: opacity > 0
            opacity: view.skipHint ? 1 : 0
            Behavior on opacity { NumberAnimation { duration: 150 } }
            width: hintSymbol.implicitWidth + 56
            height: width
            radius: width / 2
            color: Qt.rgba(0, 0, 0, 0.35)
            anchors.verticalCenter: parent.verticalCenter
            x: side < 0 ? 60 : parent.width - width - 60

            SystemSymbol {
                id: hintSymbol
                anchors.centerIn: parent
                name: parent.side < 0 ? "gobackward.10" : "goforward.10"
                size: 54
                color: "white"
            }
        }
    }

    BusyIndicator {
        objectName: "bufferingSpinner"
        anchors.centerIn: parent
        width: 72
        height: 72
        running: view.isBuffering
        visible: running
    }

    Item {
        id: controls
        objectName: "controls"
        anchors.fill: parent
        opacity: view.controlsShown ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 200 } }

        Rectangle {
            id: topBar
            objectName: "topBar"
            anchors { left: parent.left; right: parent.right; top: parent.top }
            height: topRow.implicitHeight + 32
            color: Qt.rgba(0, 0, 0, 0.5)

            RowLayout {
                id: topRow
                anchors { fill: parent; margins: 16 }
                spacing: 12

                PlayerIconButton {
                    objectName: "closeButton"
                    symbol: "chevron.left"
                    size: TextStyle.title
                    accessibleName: "Cerrar reproductor"
                    onClicked: view.model.close()
                }

                ColumnLayout {
                    spacing: 2
                    Layout.fillWidth: true

                    Text {
                        objectName: "titleText"
                        Layout.fillWidth: true
                        text: view.model.currentItem.title
                        color: "white"
                        font.pixelSize: TextStyle.headline
                        font.bold: true
                        elide: Text.ElideRight
                    }

                    Text {
                        objectName: "subtitleText"
                        Layout.fillWidth: true
                        visible: view.model.currentItem.hasSubtitle
                        text: view.model.currentItem.subtitle
                        color: Qt.rgba(1, 1, 1, 0.8)
                        font.pixelSize: TextStyle.caption
                        elide: Text.ElideRight
                    }
                }
            }
        }

        Rectangle {
            id: bottomBar
            objectName: "bottomBar"
            anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
            height: bottomColumn.implicitHeight + 32
            color: Qt.rgba(0, 0, 0, 0.8)

            ColumnLayout {
                id: bottomColumn
                anchors { fill: parent; margins: 16 }
                spacing: 10

                RowLayout {
                    spacing: 10
                    Layout.fillWidth: true

                    Text {
                        objectName: "elapsedText"
                        text: PlayerText.timeText(view.dragging ? view.dragValue : view.engine.currentTimeMs)
                        color: "white"
                        font: TextStyle.tabularDigits(TextStyle.caption)
                    }

                    Slider {
                        id: seekBar
                        objectName: "seekBar"
                        Layout.fillWidth: true
                        from: 0
                        to: view.engine.durationMs > 0 ? view.engine.durationMs : 1
                        value: view.dragging ? view.dragValue : view.engine.currentTimeMs
                        Accessible.name: "Posición"
                        onMoved: view.dragValue = value
                        onPressedChanged: {
                            if (pressed) {
                                view.dragValue = value
                                view.dragging = true
                            } else {
                                view.endDrag()
                            }
                        }

                        background: Rectangle {
                            x: seekBar.leftPadding
                            y: seekBar.topPadding + seekBar.availableHeight / 2 - height / 2
                            implicitWidth: 200
                            implicitHeight: 4
                            width: seekBar.availableWidth
                            height: 4
                            radius: 2
                            color: Qt.rgba(1, 1, 1, 0.25)

                            Rectangle {
                                width: seekBar.visualPosition * parent.width
                                height: parent.height
                                radius: 2
                                color: Brand.primary
                            }
                        }

                        handle: Rectangle {
                            x: seekBar.leftPadding + seekBar.visualPosition * (seekBar.availableWidth - width)
                            y: seekBar.topPadding + seekBar.availableHeight / 2 - height / 2
                            // Its size gives the bar its height, and with it the strip that takes a drag.
                            implicitWidth: 14
                            implicitHeight: 14
                            radius: 7
                            color: Brand.primary
                        }
                    }

                    Text {
                        objectName: "durationText"
                        text: PlayerText.timeText(view.engine.durationMs)
                        color: "white"
                        font: TextStyle.tabularDigits(TextStyle.caption)
                    }
                }

                RowLayout {
                    spacing: 20
                    Layout.fillWidth: true

                    PlayerIconButton {
                        objectName: "skipBackButton"
                        symbol: "gobackward.10"
                        accessibleName: "Retroceder 10 segundos"
                        onClicked: { view.model.skip(-10); view.touched() }
                    }

                    PlayerIconButton {
                        objectName: "playPauseButton"
                        readonly property bool playing: view.engine.status === VLCEngine.Playing
                        symbol: playing ? "pause.fill" : "play.fill"
                        accessibleName: playing ? "Pausar" : "Reproducir"
                        onClicked: { view.engine.togglePause(); view.touched() }
                    }

                    PlayerIconButton {
                        objectName: "skipForwardButton"
                        symbol: "goforward.10"
                        accessibleName: "Avanzar 10 segundos"
                        onClicked: { view.model.skip(10); view.touched() }
                    }

                    PlayerIconButton {
                        objectName: "nextButton"
                        visible: view.hasNext
                        symbol: "forward.end.fill"
                        accessibleName: "Siguiente episodio"
                        onClicked: { view.model.playNext(); view.touched() }
                    }

                    Item { Layout.fillWidth: true }

                    PlayerTextButton {
                        objectName: "fillButton"
                        text: view.engine.fillScreen ? "Ajustar" : "Llenar"
                        onClicked: { view.engine.fillScreen = !view.engine.fillScreen; view.touched() }
                    }

                    PlayerTextButton {
                        id: audioButton
                        objectName: "audioButton"
                        text: "Audio"
                        enabled: view.engine.audioTracks.length > 0
                        onClicked: view.openTrackMenu(audioMenu, view.engine.audioTracks, true)

                        Menu {
                            id: audioMenu
                            objectName: "audioMenu"
                            y: -height
                        }
                    }

                    PlayerTextButton {
                        objectName: "subtitleButton"
                        text: "Subtítulos"
                        onClicked: view.openTrackMenu(subtitleMenu, view.engine.subtitleTracks, false)

                        Menu {
                            id: subtitleMenu
                            objectName: "subtitleMenu"
                            y: -height

                            MenuItem {
                                objectName: "subtitleOff"
                                text: "Desactivar"
                                Accessible.name: text
                                onTriggered: { view.engine.selectSubtitleTrack(-1); view.touched() }
                            }
                        }
                    }
                }
            }
        }
    }

    Rectangle {
        objectName: "errorOverlay"
        anchors.fill: parent
        visible: view.model.playbackError !== ""
        color: Qt.rgba(0, 0, 0, 0.75)

        // Swallows clicks so that the zones below do not react.
        MouseArea { anchors.fill: parent }

        ColumnLayout {
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 64)
            spacing: 16

            Text {
                objectName: "errorText"
                Layout.fillWidth: true
                text: view.model.playbackError
                color: "white"
                font.pixelSize: TextStyle.body
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
            }

            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 12

                BrandButton {
                    objectName: "retryButton"
                    text: "Reintentar"
                    prominent: true
                    onClicked: view.model.playCurrent(view.model.lastPositionMs)
                }

                BrandButton {
                    objectName: "errorBackButton"
                    text: "Volver"
                    onClicked: view.model.close()
                }
            }
        }
    }

    Rectangle {
        objectName: "upNextOverlay"
        anchors.fill: parent
        visible: view.model.showUpNext
        color: Qt.rgba(0, 0, 0, 0.75)

        MouseArea { anchors.fill: parent }

        ColumnLayout {
            anchors.centerIn: parent
            width: Math.min(implicitWidth, parent.width - 64)
            spacing: 14

            Text {
                Layout.alignment: Qt.AlignHCenter
                text: "A continuación"
                color: "white"
                font.pixelSize: TextStyle.title
                font.bold: true
            }

            Text {
                objectName: "nextSubtitleText"
                Layout.alignment: Qt.AlignHCenter
                visible: view.model.nextSubtitle !== ""
                text: view.model.nextSubtitle
                color: Qt.rgba(1, 1, 1, 0.9)
                font.pixelSize: TextStyle.body
            }

            Text {
                objectName: "countdownText"
                Layout.alignment: Qt.AlignHCenter
                text: PlayerText.countdownText(view.model.upNextCountdown)
                color: Qt.rgba(1, 1, 1, 0.8)
                font.pixelSize: TextStyle.body
            }

            RowLayout {
                Layout.alignment: Qt.AlignHCenter
                spacing: 12

                BrandButton {
                    objectName: "playNowButton"
                    text: "Ver ahora"
                    prominent: true
                    onClicked: view.model.upNextPlayNow()
                }

                BrandButton {
                    objectName: "upNextExitButton"
                    text: "Salir"
                    onClicked: view.model.upNextCancel()
                }
            }
        }
    }
}
