pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The volume of every stream: a mute button ("Silenciar" / "Activar sonido") and a slider
// ("Volumen", 0-100 % in steps of 5) on the engine's level and mute state. Each use emits used(),
// so that a screen with auto-hiding controls keeps them (showAndScheduleHide). For a screen:
//     VolumeControl { engine: VLCEngine; onUsed: autoHide.showAndScheduleHide() }
Row {
    id: control

    property VLCEngine engine: null
    readonly property int level: engine ? engine.volume : 0
    readonly property bool muted: engine ? engine.muted : false

    signal used()

    spacing: 4

    IconButton {
        id: muteButton
        objectName: "muteButton"
        anchors.verticalCenter: parent.verticalCenter
        symbol: control.muted || control.level === 0 ? "speaker.slash.fill"
                                                     : (control.level < 50 ? "speaker.wave.1.fill" : "speaker.wave.2.fill")
        label: control.muted ? "Activar sonido" : "Silenciar"
        onClicked: {
            if (control.engine)
                control.engine.toggleMute()
            control.used()
        }
    }

    Slider {
        id: slider
        objectName: "volumeSlider"
        anchors.verticalCenter: parent.verticalCenter
        width: 110
        from: 0
        to: 100
        stepSize: 5
        snapMode: Slider.SnapAlways
        value: control.level
        opacity: control.muted ? 0.5 : 1
        Accessible.name: "Volumen"
        onMoved: {
            if (control.engine)
                control.engine.volume = Math.round(value)
            control.used()
        }

        FocusRing { returnPresses: false }
    }
}
