import QtQuick
import Norvane

// A channel's logo in a square of `size`; the "tv" symbol while there is none (no address,
// still loading, or failed).
Item {
    id: logo

    property string urlString
    property real size: 34

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    RemoteImage {
        anchors.fill: parent
        urlString: logo.urlString
        placeholder: Component {
            SystemSymbol {
                name: "tv"
                size: logo.size * 0.72
                color: Brand.secondaryText
            }
        }
    }
}
