import QtQuick
import Norvane

// Lays the player screen over a section while it holds a player model, fading in and out over
// 0.2 s. The screen stays for the fade-out after the section has dropped the model.
Item {
    id: layer

    property PlayerModel player: null
    // The player screen on show (made for each new model, dropped once faded out).
    property Item screen: null

    function showScreen(model) {
        if (screen)
            screen.destroy()
        screen = model ? playerScreen.createObject(layer, { model: model }) : null
    }

    onPlayerChanged: {
        if (player)
            showScreen(player)
    }

    // The player gone, the keyboard is back where it was before (the play button that opened it).
    FocusReturn {
        scope: layer.parent
        active: layer.player !== null
    }

    opacity: player ? 1 : 0
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
    onVisibleChanged: {
        if (!visible)
            showScreen(null)
    }

    Component {
        id: playerScreen
        PlayerView {
            objectName: "playerView"
            anchors.fill: parent
        }
    }
}
