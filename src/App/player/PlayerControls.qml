pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Norvane

// The player's auto-hiding controls: the top bar with the close button, the titles and the
// window's full screen, and the bottom bar with the seek bar, the skips, play/pause, the next
// episode, the volume, fit/fill and the track menus. After every action the controller keeps the
// controls up a while longer.
Item {
    id: controls

    required property OnDemandPlayback playback
    readonly property PlayerModel model: playback.model
    readonly property VLCEngine engine: playback.engine
    property bool dragging: false
    property real dragValue: 0

    function touched() {
        playback.touched()
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
        playback.seekTo(dragValue)
    }

    objectName: "controls"
    opacity: controls.playback.controlsShown ? 1 : 0
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 200 } }

    Component {
        id: trackEntry
        MenuItem {
            property int trackId
            property bool audio
            Accessible.name: text
            Accessible.onPressAction: if (enabled) triggered()
            onTriggered: {
                if (audio)
                    controls.engine.selectAudioTrack(trackId)
                else
                    controls.engine.selectSubtitleTrack(trackId)
                controls.touched()
            }
        }
    }

    PlaybackTopBar {
        anchors { left: parent.left; right: parent.right; top: parent.top }
        playback: controls.playback
        title: controls.model.currentItem.title
        subtitle: controls.model.currentItem.hasSubtitle ? controls.model.currentItem.subtitle : ""
        backName: "Cerrar reproductor"
        onBack: controls.model.close()
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
                    text: PlayerText.timeText(controls.dragging ? controls.dragValue : controls.engine.currentTimeMs)
                    color: "white"
                    font: TextStyle.tabularDigits(TextStyle.caption)
                }

                Slider {
                    id: seekBar
                    objectName: "seekBar"
                    Layout.fillWidth: true
                    from: 0
                    to: controls.engine.durationMs > 0 ? controls.engine.durationMs : 1
                    value: controls.dragging ? controls.dragValue : controls.engine.currentTimeMs
                    Accessible.name: "Posición"
                    onMoved: {
                        controls.dragValue = value
                        // Moved without a press (a screen reader set the value): seek at once.
                        if (!pressed)
                            controls.endDrag()
                    }
                    onPressedChanged: {
                        if (pressed) {
                            controls.dragValue = value
                            controls.dragging = true
                        } else {
                            controls.endDrag()
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
                    text: PlayerText.timeText(controls.engine.durationMs)
                    color: "white"
                    font: TextStyle.tabularDigits(TextStyle.caption)
                }
            }

            RowLayout {
                spacing: 20
                Layout.fillWidth: true

                PlayerIconButton {
                    objectName: "skipBackButton"
                    symbol: controls.playback.skipSymbol(-1)
                    accessibleName: controls.playback.skipName(-1)
                    onClicked: controls.playback.skip(-1)
                }

                PlayPauseButton {
                    playback: controls.playback
                    diameter: 44
                }

                PlayerIconButton {
                    objectName: "skipForwardButton"
                    symbol: controls.playback.skipSymbol(1)
                    accessibleName: controls.playback.skipName(1)
                    onClicked: controls.playback.skip(1)
                }

                PlayerIconButton {
                    objectName: "nextButton"
                    visible: controls.model.canPlayNext
                    symbol: "forward.end.fill"
                    accessibleName: "Siguiente episodio"
                    onClicked: { controls.model.playNext(); controls.touched() }
                }

                Item { Layout.fillWidth: true }

                VolumeControl {
                    engine: controls.engine
                    onUsed: controls.touched()
                }

                PlayerTextButton {
                    objectName: "fillButton"
                    text: controls.playback.fillText
                    onClicked: controls.playback.toggleFill()
                }

                PlayerTextButton {
                    id: audioButton
                    objectName: "audioButton"
                    text: "Audio"
                    enabled: controls.engine.audioTracks.length > 0
                    onClicked: controls.openTrackMenu(audioMenu, controls.engine.audioTracks, true)

                    Menu {
                        id: audioMenu
                        objectName: "audioMenu"
                        y: -height
                    }
                }

                PlayerTextButton {
                    objectName: "subtitleButton"
                    text: "Subtítulos"
                    onClicked: controls.openTrackMenu(subtitleMenu, controls.engine.subtitleTracks, false)

                    Menu {
                        id: subtitleMenu
                        objectName: "subtitleMenu"
                        y: -height

                        MenuItem {
                            objectName: "subtitleOff"
                            text: "Desactivar"
                            Accessible.name: text
                            Accessible.onPressAction: if (enabled) triggered()
                            onTriggered: { controls.engine.selectSubtitleTrack(-1); controls.touched() }
                        }
                    }
                }
            }
        }
    }
}
