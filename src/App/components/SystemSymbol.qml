pragma ComponentBehavior: Bound
import QtQuick

// A named symbol ("eye", "chevron.left", "play.fill", ...) drawn from the Material Icons font.
// The one place that maps symbol names to glyphs: every screen draws its icons through it.
Text {
    id: symbol

    // The symbol's name; an unknown name draws nothing and warns.
    property string name
    property real size: 18

    // A constant table from names to glyphs, read by name.
    readonly property var glyphs: ({
        "chevron.left": "\ue5cb",                          // chevron_left
        "play.fill": "\ue037",                             // play_arrow
        "pause.fill": "\ue034",                            // pause
        "star": "\ue83a",                                  // star_border
        "star.fill": "\ue838",                             // star
        "lock.fill": "\ue897",                             // lock
        "eye": "\ue8f4",                                   // visibility
        "eye.slash": "\ue8f5",                             // visibility_off
        "tv": "\ue333",                                    // tv
        "film": "\ue02c",                                  // movie
        "sparkles": "\ue65f",                              // auto_awesome
        "play.circle": "\ue039",                           // play_circle_outline
        "magnifyingglass": "\ue8b6",                       // search
        "gobackward.10": "\ue059",                         // replay_10
        "goforward.10": "\ue056",                          // forward_10
        "forward.end.fill": "\ue044",                      // skip_next
        "backward.end.fill": "\ue045",                     // skip_previous
        "arrow.down.right.and.arrow.up.left": "\ue5d1",    // fullscreen_exit
        "arrow.up.left.and.arrow.down.right": "\ue5d0",    // fullscreen
        "speaker.wave.2.fill": "\ue050",                  // volume_up
        "speaker.wave.1.fill": "\ue04d",                  // volume_down
        "speaker.slash.fill": "\ue04f",                   // volume_off
        "person.crop.circle": "\ue853",                    // account_circle
        "rectangle.portrait.and.arrow.right": "\ue9ba",    // logout
        "key.slash": "\ueb84",                             // key_off
        "info.circle": "\ue88f",                           // info_outline
        "hammer.fill": "\ue869",                           // build
        "checkmark.circle.fill": "\ue86c"                  // check_circle
    })

    text: glyphs[name] ?? ""
    font.family: "Material Icons"
    font.pixelSize: size
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true

    function checkName() {
        if (name.length > 0 && glyphs[name] === undefined)
            console.warn("SystemSymbol: no glyph for", name)
    }
    Component.onCompleted: {
        checkName()
        nameChanged.connect(checkName)
    }
}
