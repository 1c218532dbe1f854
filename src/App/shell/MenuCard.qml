pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// One large image card of the main menu. Hovering grows it by 5 % and draws the neon border;
// entering and leaving report through hoverChange(); a click emits clicked().
AbstractButton {
    id: card

    // Asset name ("MenuCardLive"), drawn from qrc:/assets/<name>.svg.
    property string imageName
    property bool hovering: false
    // Tunable for tests: the hover animation's length.
    property int animationDuration: 150

    signal hoverChange(bool hovering)

    hoverEnabled: true
    padding: 0
    scale: hovering ? 1.05 : 1.0
    z: hovering ? 1 : 0
    Accessible.role: Accessible.Button
    Accessible.onPressAction: if (enabled) clicked()

    onHoveredChanged: {
        if (hovering === hovered)
            return
        hovering = hovered
        hoverChange(hovering)
    }

    Behavior on scale {
        NumberAnimation { duration: card.animationDuration; easing.type: Easing.OutQuad }
    }

    FocusRing { radius: 16 + gap }

    contentItem: null
    background: CardFace {
        objectName: "cardFace"
        source: card.imageName.length > 0 ? "qrc:/assets/" + card.imageName + ".svg" : ""
        radius: 16
        fillColor: Brand.surface
        borderColors: Brand.neon
        borderWidth: card.hovering ? 3 : 0

        Behavior on borderWidth {
            NumberAnimation { duration: card.animationDuration; easing.type: Easing.OutQuad }
        }
    }
}
