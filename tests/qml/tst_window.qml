import QtQuick 2.10
import QtTest 1.2
import QtQuick.Controls 2.15

// The window on a real screen: it opens within the screen's available area at any scale and
// where it was closed; at its size or spread over the screen, every channel title shows whole
// or names itself in a tooltip, no number or title is drawn below the normal text size, and
// the last columns of a wide table are in reach. ctest runs it on 1280x1024, on 1920x1080
// and on 1920x1080 at QT_SCALE_FACTOR 1.5.
TableTestCase {
    name: "Window"

    function fixtureFile(name) {
        return Qt.resolvedUrl("fixtures/" + name).toString().replace("file://", "")
    }

    function spread() {
        win.x = 0
        win.y = 0
        win.width = win.screen.desktopAvailableWidth
        win.height = win.screen.desktopAvailableHeight
        tryCompare(win, "tableWidth", win.screen.desktopAvailableWidth)
    }

    function test_opensWithinTheScreenAndWhereClosed() {
        var room = [win.screen.desktopAvailableWidth, win.screen.desktopAvailableHeight]
        compare([win.width, win.height], [Math.min(1000, room[0]), Math.min(800, room[1])])
        verify(win.x >= 0 && win.y >= 0 && win.x + win.width <= room[0] && win.y + win.height <= room[1])
        win.x = 40
        win.y = 30
        win.width = 900
        win.height = 600
        tryCompare(win, "height", 600)
        destroyWindow()
        createWindow(true)
        compare([win.x, win.y, win.width, win.height], [40, 30, 900, 600])
    }

    function test_titlesAndNumbersReadable_data() {
        return [ { tag: "33-channel built-in type", type: 0 },
                 { tag: "11-channel library fixture", file: "Testwerk-Show-Laser.qxf" },
                 { tag: "library fixture, window spread", file: "Testwerk-Show-Laser.qxf", spread: true },
                 { tag: "built-in type, window spread", type: 0, spread: true } ]
    }

    function test_titlesAndNumbersReadable(data) {
        if (data.spread)
            spread()
        verify(data.file ? dmx_list.fixtures.addDefinition(fixtureFile(data.file), 0) : table.addDevice(data.type))
        coreProbe.appendRows(120, 9999, 255, 255)
        settle()
        var tip = findChild(table, "titleTip")
        var watch = findChild(table, "titleWatch")
        for (var c = table.fixedColumns; c < table.columnCount; ++c) {
            table.showColumn(c)
            settle()
            var title = findChild(header(c), "headerText")
            verify(title.font.pixelSize >= win.normalTextSize, "title " + c + " at " + title.font.pixelSize)
            verify(findChild(cell(0, c), "cellFace").fontPixelSize >= win.normalTextSize, "number in " + c)
            if (!title.truncated)
                continue
            var at = header(c).mapToItem(watch, header(c).width / 2, 60)
            mouseMove(watch, at.x, at.y)
            tryVerify(function() { return tip.visible && tip.text.indexOf("\n" + (c - 2) + ": ") > 0 },
                      2000, "tooltip of title " + c + " " + tip.text)
        }
        // The fader's channel number names its channel as well.
        var number = findChild(item("dimChannel").itemAtIndex(2), "dimNumber")
        mouseMove(number, number.width / 2, number.height / 2)
        tryVerify(function() { return number.ToolTip.visible && number.ToolTip.text.indexOf("\n3: ") > 0 }, 2000)
        table.positionViewAtRow(119, 0)
        settle()
        for (c = 0; c < 3; ++c)
            verify(findChild(cell(119, c), "cellFace").fontPixelSize >= win.normalTextSize, "number in " + c)
    }

    function test_lastColumnsInReach_data() {
        return [ { tag: "scroll bar dragged" }, { tag: "Shift+wheel" } ]
    }

    function test_lastColumnsInReach(data) {
        for (var f = 0; f < 6; ++f)
            verify(table.addDevice(0))
        verify(table.addDevice(3))
        verify(dmx_list.fixtures.addDefinition(fixtureFile("Testwerk-Show-Laser.qxf"), 0))
        compare(win.posCount - table.fixedColumns, 226)
        coreProbe.appendRows(3, 0, 0, 0)
        settle()
        var bar = findChild(table, "hScroll")
        // Drawn at rest, not only while scrolling.
        tryVerify(function() { return bar.visible && bar.size < 1 && bar.contentItem.opacity > 0.5 }, 2000)
        var end = view.contentWidth - view.width
        if (data.tag === "Shift+wheel") {
            mouseWheel(view, 50, 50, 0, -120, Qt.NoButton, Qt.ShiftModifier)
            compare(view.contentX, 3 * table.channelWidth)
            var strip = item("dimChannel")
            mouseWheel(strip, 50, 50, 0, -120, Qt.NoButton, Qt.ShiftModifier)
            compare(strip.contentX, strip.originX + 3 * win.faderWidth)
            for (var notch = 0; notch < 100 && view.contentX < end; ++notch)
                mouseWheel(view, 50, 50, 0, -120, Qt.NoButton, Qt.ShiftModifier)
        } else {
            mouseDrag(bar, bar.position * bar.width + 4, bar.height / 2, bar.width, 0)
        }
        tryCompare(view, "contentX", end)
        settle()
        verify(header(table.columnCount - 1))
    }

    // The keyboard walks along a row: the cell it goes on to comes into view.
    function test_tabBringsTheNextColumnIntoView() {
        win.requestActivate()
        tryVerify(function() { return win.active }, 5000, "window active")
        verify(table.addDevice(0))
        coreProbe.appendRows(1, 0, 0, 0)
        settle()
        var column = table.columnAt(table.fixedWidth + view.width) - 1
        var target = cell(0, column)
        mouseClick(target, target.width / 2, target.height / 2)
        keyClick(Qt.Key_7)
        for (var next = column + 1; next <= column + 2; ++next) {
            keyClick(Qt.Key_Tab)
            tryVerify(function() { return cellOrNull(0, next) && cellOrNull(0, next).editing }, 5000, "editor " + next)
        }
        compare(coreProbe.cell(0, column), 7)
        verify(table.columnLeft(next - 1) + table.channelWidth - table.fixedWidth <= view.contentX + view.width + 0.5)
    }
}
