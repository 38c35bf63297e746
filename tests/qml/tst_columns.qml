import QtQuick 2.10
import QtTest 1.2

// Columns the user widens: a title's right edge dragged or double-clicked, the width kept in
// the user's settings for every fixture of that kind, also in the next window.
TableTestCase {
    name: "Columns"

    readonly property string laser: Qt.resolvedUrl("fixtures/Testwerk-Show-Laser.qxf").toString().replace("file://", "")

    function addLaser() {
        verify(dmx_list.fixtures.addDefinition(laser, 0))
        coreProbe.appendRows(1, 0, 0, 0)
        settle()
    }

    // Where a title's right edge is, in the titles' watch.
    function edge(column, y) {
        var title = header(column)
        return title.mapToItem(findChild(table, "titleWatch"), title.width, y)
    }

    // A column laid out where the one sum of widths puts it, its title and cells as wide.
    function verifyPlaced(column, width) {
        tryCompare(header(column), "width", width)
        compare(table.columnWidth(column), width)
        compare(cell(0, column).width, width)
        compare(header(column + 1).mapToItem(table, 0, 0).x, table.columnLeft(column + 1) - view.contentX)
    }

    function test_widthDraggedKeptAndFitted() {
        addLaser()
        var watch = findChild(table, "titleWatch")
        var column = table.fixedColumns + 5
        var before = header(column).width
        var at = edge(column, 60)
        mouseMove(watch, at.x, at.y)
        compare(watch.cursorShape, Qt.SplitHCursor)
        mouseDrag(watch, at.x, at.y, 40, 0)
        verifyPlaced(column, before + 40)

        destroyWindow()
        init()
        addLaser()
        verifyPlaced(column, before + 40)
        addLaser()
        watch = findChild(table, "titleWatch")
        var twin = column + 11
        table.showColumn(twin + 1)
        settle()
        verifyPlaced(twin, before + 40)

        at = edge(twin, 60)
        mouseDoubleClickSequence(watch, at.x, at.y)
        verifyPlaced(twin, table.titleFit(twin))
        verify(!findChild(header(twin), "headerText").truncated)
        verifyPlaced(column, table.titleFit(column))

        // The end of the model's band fits all the fixture's columns.
        table.showColumn(table.columnCount - 1)
        settle()
        at = edge(table.columnCount - 1, 5)
        mouseDoubleClickSequence(watch, at.x, at.y)
        for (var c = table.columnCount - 11; c < table.columnCount; ++c) {
            table.showColumn(c)
            settle()
            tryCompare(header(c), "width", table.titleFit(c))
            verify(!findChild(header(c), "headerText").truncated, "title " + c)
        }
    }
}
