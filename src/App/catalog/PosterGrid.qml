pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls
import Norvane

// A lazy, scrolling grid of poster cards with adaptive columns: as many as fit, each 128 to
// 180 px wide, 16 apart, 20 px margin around. Only the visible cards exist. The delegate is given
// by the caller and sized to `cellSize`: a FocusScope whose card has `focus: true`, so that the
// grid's keyboard reaches the card. Tab enters the grid at the card last used, the arrows move
// along the cards, Return or Space opens one.
GridView {
    id: grid

    readonly property int minCell: 128
    readonly property int maxCell: 180
    readonly property int gap: 16
    property int rowGap: 16
    readonly property real usableWidth: Math.max(0, width - 40)
    readonly property int columnCount: Math.max(1, Math.floor((usableWidth + gap) / (minCell + gap)))
    // The card width: the space shared by the columns, never wider than the largest cell. Whole
    // pixels, so the columns always fit the row.
    readonly property real cellSize: Math.min(maxCell, Math.floor((usableWidth - (columnCount - 1) * gap) / columnCount))

    leftMargin: 20
    // Each cell carries its gap on the right: the last one's gap is part of the margin.
    rightMargin: 20 - gap
    topMargin: 20
    bottomMargin: 20
    clip: true
    cellWidth: cellSize + gap
    cellHeight: cellSize / 0.68 + 6 + TextStyle.caption + 6 + rowGap
    cacheBuffer: 0
    boundsBehavior: Flickable.StopAtBounds
    activeFocusOnTab: true
    // The keyboard lands on a card: the first one until a card has been used.
    onActiveFocusChanged: {
        if (activeFocus && currentIndex < 0 && count > 0)
            currentIndex = 0
    }
    ScrollBar.vertical: ScrollBar {}
}
