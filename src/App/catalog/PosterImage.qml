import QtQuick
import Norvane

// The poster of a detail screen: rounded, 0.68 wide for 1 high, with the film symbol until the
// picture is there.
Rectangle {
    id: poster

    property string url

    implicitWidth: 220
    implicitHeight: width / 0.68
    radius: 12
    color: Brand.surface
    clip: true

    RemoteImage {
        anchors.fill: parent
        urlString: poster.url
        fillMode: RemoteImage.PreserveAspectCrop
        radius: poster.radius
        placeholder: Component {
            Item {
                SystemSymbol {
                    anchors.centerIn: parent
                    name: "film"
                    size: TextStyle.largeTitle
                    color: Brand.secondaryText
                }
            }
        }
    }
}
