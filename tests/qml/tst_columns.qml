import QtQuick 2.10
import QtTest 1.2

// Columns the user widens: a title's right edge dragged or double-clicked, the width kept in
// the user's settings for every fixture of that kind, also in the next window.
TableTestCase {
    name: "Columns"

    function addLaser() {
        verify(dmx_list.fixtures.addDefinition(Qt.resolvedUrl("fixtures/Testwerk-Show-Laser.qxf")
                                               .toString().replace("file://", ""), 0))
        coreProbe.appendRows(1, 0, 0, 0)
        settle()
    }

    // Where a title's right edge is, in the titles' watch.
    function edge(column, y) {
        return header(column).mapToItem(findChild(table, "titleWatch"), header(column).width, y)
    }

    // Titles and cells as wide as the column and where the one sum of widths puts them.
    function verifyPlaced(column, width) {
        table.showColumn(column)
        settle()
        tryCompare(header(column), "width", width)
        compare([table.columnWidth(column), cell(0, column).width], [width, width])
        var titles = shownItems(findChild(table, "tableHeader").contentItem, "header")
        for (var i = 0; i < titles.length; ++i)
            compare(titles[i].x, table.columnLeft(titles[i].headerColumn) - table.fixedWidth)
    }

    function test_widthDraggedKeptAndFitted() {
        addLaser()
        var column = table.fixedColumns + 5
        var before = header(column).width
        var at = edge(column, 60)
        mouseMove(findChild(table, "titleWatch"), at.x, at.y)
        compare(findChild(table, "titleWatch").cursorShape, Qt.SplitHCursor)
        mouseDrag(findChild(table, "titleWatch"), at.x, at.y, 40, 0)
        verifyPlaced(column, before + 40)
        destroyWindow()
        init()
        addLaser()
        verifyPlaced(column, before + 40)
        addLaser()
        var twin = column + 11
        verifyPlaced(twin, before + 40)
        at = edge(twin, 60)
        mouseDoubleClickSequence(findChild(table, "titleWatch"), at.x, at.y)
        verifyPlaced(twin, table.titleFit(twin))
        verify(!findChild(header(twin), "headerText").truncated)
        verifyPlaced(column, table.titleFit(column))
        // The end of the model's band fits all the fixture's columns.
        at = edge(table.columnCount - 1, 5)
        mouseDoubleClickSequence(findChild(table, "titleWatch"), at.x - 1, at.y)
        for (var c = table.columnCount - 11; c < table.columnCount; ++c)
            verifyPlaced(c, table.titleFit(c))
        // Columns dragged to by the scroll bar lie where the widths put them too.
        for (var f = 0; f < 6; ++f)
            verify(table.addDevice(0))
        var bar = findChild(table, "hScroll")
        mouseDrag(bar, bar.position * bar.width + 4, bar.height / 2, bar.width / 2, 0)
        verify(view.contentX > view.width)
        verifyPlaced(table.columnAt(table.fixedWidth + view.contentX + view.width / 2), table.channelWidth)
    }
}
