import QtQuick
import Norvane

// A channel's logo fitted with its proportions in a square of `size`; the "tv" symbol while there is none (no address,
// still loading, or failed).
Item {
    id: logo

    property string urlString
    property real size: 34

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    RemoteImage {
        objectName: "logoImage"
        anchors.fill: parent
        fillMode: RemoteImage.PreserveAspectFit
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
