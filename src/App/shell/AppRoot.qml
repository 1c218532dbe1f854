import QtQuick
import QtQuick.Controls
import QtQuick.Window
import Norvane

// The root view: owns the one application model and shows the screen of its phase, cross-fading
// between phases. Everything below it uses the dark palette.
Control {
    id: root

    readonly property AppModel app: AppModel { window: root.Window.window }

    implicitWidth: 1000
    implicitHeight: 640
    padding: 0

    palette {
        window: Brand.background
        windowText: Brand.onBackground
        base: Brand.surface
        alternateBase: Brand.surfaceVariant
        text: Brand.onBackground
        button: Brand.surfaceVariant
        buttonText: Brand.onBackground
        brightText: "#FFFFFF"
        highlight: Brand.primary
        highlightedText: Brand.onPrimary
        placeholderText: Brand.secondaryText
        toolTipBase: Brand.surfaceVariant
        toolTipText: Brand.onBackground
        light: Brand.surfaceVariant
        midlight: Brand.surfaceVariant
        mid: Brand.surface
        dark: Brand.background
        shadow: "#000000"
        link: Brand.secondary
    }

    component PhaseScreen: Loader {
        required property bool current

        anchors.fill: parent
        // The keyboard goes to the screen of the phase.
        focus: current
        opacity: current ? 1 : 0
        visible: opacity > 0
        // The outgoing screen stays until it has faded out.
        active: current || opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: 350; easing.type: Easing.InOutQuad }
        }
    }

    contentItem: Item {
        PhaseScreen {
            objectName: "splashScreen"
            current: root.app.phase === AppModel.Splash
            sourceComponent: SplashView { app: root.app }
        }
        PhaseScreen {
            objectName: "loginScreen"
            current: root.app.phase === AppModel.Login
            sourceComponent: LoginView { app: root.app }
        }
        PhaseScreen {
            objectName: "homeScreen"
            current: root.app.phase === AppModel.Home
            sourceComponent: HomeView { app: root.app }
        }
    }
}
