pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// The left panel of the live section: the favourites row, then the provider's live categories
// with a lock on the adult ones still locked. Clicks go through the screen's PIN rule.
Item {
    id: panel

    required property ChannelsModel section
    required property ChannelsScreen screen

    readonly property bool loading: section.isLoadingCategories
    readonly property bool failed: !loading && section.categoriesError.length > 0

    BusyIndicator {
        objectName: "categoriesSpinner"
        anchors.centerIn: parent
        visible: panel.loading
        running: visible
    }

    RetryBox {
        objectName: "categoriesRetry"
        anchors.fill: parent
        visible: panel.failed
        message: panel.section.categoriesError
        onAction: panel.section.loadCategories()
    }

    CategoryColumn {
        objectName: "categoryColumn"
        anchors.fill: parent
        visible: !panel.loading && !panel.failed
        color: "transparent"
        section: panel.section
        onSelect: id => panel.screen.categoryClicked(id)
    }
}
