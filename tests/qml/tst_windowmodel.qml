import QtQuick 2.10
import QtTest 1.2

// Random sequences of what a user does with the table, checked after every action against
// the core: the red row is the row the next fader move writes into, the shaded rows are the
// rows of the status range and the rows "删除", Ctrl+C and Ctrl+X act on, and the faders
// show the red row's levels. Every sequence is seeded, so a failure can be replayed.
TableTestCase {
    name: "WindowModel"

    readonly property int actionsPerSeed: 150
    readonly property int maxRows: 24
    property var random: null
    property string showUrl: ""

    // A small, fast generator whose sequence depends on the seed alone.
    function generator(seed) {
        var state = seed >>> 0
        return function(n) {
            state = (state + 0x6d2b79f5) >>> 0
            var t = state
            t = Math.imul(t ^ (t >>> 15), t | 1)
            t ^= t + Math.imul(t ^ (t >>> 7), t | 61)
            return (((t ^ (t >>> 14)) >>> 0) % n)
        }
    }

    function ctrlKey(key) {
        win.requestActivate()
        keyClick(key, Qt.ControlModifier)
    }

    function rows() {
        return coreProbe.rowCount()
    }

    function anyRow() {
        return random(rows())
    }

    // The rows the core removes, copies and cuts: the range, as far as it lies in the table.
    function coreRange() {
        var first = Math.max(0, Math.min(coreProbe.playStart(), coreProbe.playEnd()))
        var last = Math.min(rows() - 1, Math.max(coreProbe.playStart(), coreProbe.playEnd()))
        return first <= last ? [first, last] : []
    }

    // The rows drawn in the range's colours; the red row hides its own colour.
    function shadedRows() {
        var shaded = []
        for (var r = 0; r < rows(); ++r) {
            var colour = drawnRowColour(r)
            if (r === table.markedRow || Qt.colorEqual(colour, "lightblue")
                    || Qt.colorEqual(colour, "lightsteelblue"))
                shaded.push(r)
        }
        return shaded
    }

    function speeds() {
        var out = []
        for (var r = 0; r < rows(); ++r)
            out.push(coreProbe.cell(r, 1))
        return out
    }

    // The window's fixed elements, each looked up once per window: a search through the whole
    // window is slow next to what is checked.
    property var fixedItems: ({})
    property var fixedItemsWindow: null

    function fixedItem(name) {
        if (fixedItemsWindow !== win) {
            fixedItems = {}
            fixedItemsWindow = win
        }
        if (!fixedItems[name])
            fixedItems[name] = item(name)
        return fixedItems[name]
    }

    function faderFor(channel) {
        var strip = fixedItem("dimChannel").itemAtIndex(channel)
        return strip ? findChild(strip, "sizeSlider") : null
    }

    function checkWindow(what) {
        var current = dmx_list.currentRow
        var editRow = current >= 0 && current < rows() ? current : -1
        compare(table.markedRow, editRow, what + ": red row against the row faders write into")
        compare(fixedItem("noEditRow").visible, editRow < 0, what + ": the notice")
        if (editRow >= 0)
            verify(Qt.colorEqual(drawnRowColour(editRow), "red"), what + ": red row drawn")

        var range = coreRange()
        var shaded = shadedRows()
        var red = editRow
        if (range.length === 0) {
            verify(shaded.length === 0 || (shaded.length === 1 && shaded[0] === red),
                   what + ": shading without a range " + shaded)
        } else {
            var expected = []
            for (var r = range[0]; r <= range[1]; ++r)
                expected.push(r)
            if (red >= 0 && (red < range[0] || red > range[1]))
                expected.push(red)
            expected.sort(function(a, b) { return a - b })
            compare(shaded, expected, what + ": shaded rows against the range " + range)
            compare(fixedItem("statusMinValue").text, String(range[0]), what + ": status range start")
            compare(fixedItem("statusMaxValue").text, String(range[1]), what + ": status range end")
        }

        grabDrawn()
        checkDrawnRows(what, range, editRow)
        if (editRow >= 0 && !coreProbe.playing()) {
            for (var c = 0; c < 512; ++c) {
                var level = Math.min(255, coreProbe.cell(editRow, c + 3))
                if (coreProbe.level(c) !== level)
                    fail(what + ": fader " + (c + 1) + " shows " + coreProbe.level(c)
                         + ", the red row holds " + level)
            }
            for (c = 0; c < 40; ++c) {
                var fader = faderFor(c)
                if (fader)
                    compare(fader.value, coreProbe.level(c), what + ": fader " + (c + 1) + " drawn")
                if (fader && c < 20)
                    checkDrawnFader(what, c, Math.min(255, coreProbe.cell(editRow, c + 3)))
            }
        }
    }

    // What the screen shows, not what the items say: the renderer repaints only what it
    // takes to have changed, so a shape it forgets keeps its old pixels on screen. They show
    // from the frame after the action's own on, so two frames are drawn first.
    function grabDrawn() {
        for (var frame = 0; frame < 2; ++frame) {
            win.update()
            waitForRendering(win.contentItem)
        }
        verify(coreProbe.grabScreen(win), "screen grab")
    }

    function near(colour, expected) {
        var want = Qt.tint(expected, "transparent")
        return Math.abs(colour.r - want.r) < 0.03 && Math.abs(colour.g - want.g) < 0.03
                && Math.abs(colour.b - want.b) < 0.03
    }

    // Each row in view, in the gap below its cells, under the step numbers and under a
    // channel column: the red row, the range's ends, its inside and the rest.
    function checkDrawnRows(what, range, editRow) {
        var layer = rowLayer
        var under = [table.mapToItem(null, 10, 0).x]
        for (var f = 0.05; f < 1; f += 0.1)
            under.push(view.mapToItem(null, view.width * f, 0).x)
        for (var r = 0; r < rows(); ++r) {
            var y = layer.mapToItem(null, 0, table.rowTop(r) + table.rowHeight(r) - 1).y
            if (y < view.mapToItem(null, 0, 0).y || y >= view.mapToItem(null, 0, view.height).y)
                continue
            var expected = r === editRow ? "red"
                         : range.length && (r === range[0] || r === range[1]) ? "lightsteelblue"
                         : range.length && r > range[0] && r < range[1] ? "lightblue" : "lightgray"
            for (var i = 0; i < under.length; ++i) {
                var drawn = coreProbe.screenPixel(under[i], y)
                verify(near(drawn, expected), what + ": row " + r + " drawn " + drawn + " at x "
                       + under[i] + ", expected " + expected)
            }
        }
    }

    // The handle's top edge is where the red row's level puts it: the track shows above it,
    // the handle just below.
    function checkDrawnFader(what, channel, level) {
        var fader = faderFor(channel)
        if (!fader || !fader.visible)
            return
        var handle = fader.handle
        var top = fader.edgePadding + (1 - level / 255) * (fader.availableHeight - handle.height)
        var above = fader.mapToItem(null, fader.width / 2, top - 3)
        var inside = fader.mapToItem(null, fader.width / 2, top + 3)
        var track = coreProbe.screenPixel(above.x, above.y)
        var knob = coreProbe.screenPixel(inside.x, inside.y)
        verify(!near(track, knob) && (fader.handleOpacity < 1 || near(knob, handle.color)),
               what + ": fader " + (channel + 1) + " not drawn at " + level)
    }

    // After undo and redo the red row lies inside the table and in view.
    function checkEditRowInView(what) {
        var row = table.markedRow
        if (row < 0)
            return
        verify(row < rows(), what + ": red row " + row + " inside the table")
        var top = table.rowTop(row)
        verify(top >= view.contentY - 0.5 && top + table.rowHeight(row) <= view.contentY + view.height + 0.5,
               what + ": red row " + row + " in view at " + view.contentY)
    }

    // Removing the range takes exactly the rows that were shaded.
    function checkRemoved(what, before, range) {
        if (range.length === 0)
            return
        var left = before.slice(0, range[0]).concat(before.slice(range[1] + 1))
        compare(speeds(), left, what + ": rows left after removing " + range)
    }

    function pickRow(kind) {
        if (rows() === 0)
            return "nothing to pick"
        var r = anyRow()
        if (kind === 0)
            clickRow(r)
        else if (kind === 1)
            clickRow(r, false, Qt.ShiftModifier)
        else
            doubleClickRow(r)
        return ["click ", "shift click ", "double click "][kind] + r
    }

    function editCell() {
        if (rows() === 0)
            return "nothing to edit"
        var r = anyRow()
        // Fade and the first channels: speed stays the rows' tag.
        var column = 2 + random(6)
        view.contentX = 0
        table.positionViewAtRow(r, 0)
        settle()
        if (column >= table.columnCount)
            return "no column " + column
        var value = random(300)
        typeIntoCell(r, column, String(value))
        return "edit " + r + "," + column + " = " + value
    }

    function moveFader() {
        var channel = random(20)
        var fader = faderFor(channel)
        if (!fader || !fader.enabled)
            return "fader " + channel + " not movable"
        mouseWheel(fader, fader.width / 2, fader.height / 2, 0, random(2) ? 120 : -120)
        return "wheel on fader " + channel
    }

    function act() {
        var before = speeds()
        var range = coreRange()
        var choice = random(19)
        var what = ""
        switch (choice) {
        case 0: case 1: case 2: what = pickRow(0); break
        case 3: what = pickRow(1); break
        case 4: what = pickRow(2); break
        case 5: case 6: what = editCell(); break
        case 7: case 8: what = moveFader(); break
        case 9:
            if (rows() < maxRows)
                mouseClick(button("addData"))
            what = "增加"
            break
        case 10:
            mouseClick(button("delData"))
            checkRemoved("删除", before, range)
            what = "删除"
            break
        case 11: mouseClick(button(random(2) ? "moveUp" : "moveDown")); what = "move"; break
        case 12:
            ctrlKey(Qt.Key_X)
            checkRemoved("cut", before, range)
            what = "cut"
            break
        case 13:
            ctrlKey(Qt.Key_C)
            if (rows() < maxRows)
                ctrlKey(Qt.Key_V)
            what = "copy and paste"
            break
        case 14: case 15:
            ctrlKey(Qt.Key_Z)
            settle()
            checkEditRowInView("undo")
            what = "undo"
            break
        case 16:
            ctrlKey(Qt.Key_Y)
            settle()
            checkEditRowInView("redo")
            what = "redo"
            break
        case 17:
            if (rows() < maxRows)
                item("text_control").openFile(showUrl)
            what = "load"
            break
        case 18:
            mouseClick(item(random(3) ? "addLight" : "deleteLight"))
            what = "fixture"
            break
        }
        return what
    }

    // A range narrowed inside an earlier one, as a user picks it: the rows it left must
    // lose their shade on screen, under the cells too.
    function test_narrowedRangeRepainted() {
        coreProbe.appendRows(9, 0, 90, 0)
        mouseClick(item("addLight"))
        settle()
        var picks = [1, 7, 3, 4, 0, 1]
        for (var i = 0; i < picks.length; ++i) {
            clickRow(picks[i], false, i % 2 ? Qt.ShiftModifier : Qt.NoModifier)
            settle()
            // Several picks between two frames, as a quick hand makes them.
            if (i === 1 || i === picks.length - 1)
                checkWindow("range to " + picks[i])
        }
    }

    function test_actionsAgainstTheCore_data() {
        return [ { tag: "seed 1", seed: 1 }, { tag: "seed 2", seed: 2 }, { tag: "seed 3", seed: 3 } ]
    }

    function test_actionsAgainstTheCore(data) {
        random = generator(data.seed)
        // Typed values reach the cell editor only in the active window of the X screen.
        win.requestActivate()
        tryVerify(function() { return win.active }, 5000, "window active")
        // Rows tagged by their speed; a saved copy is what loads append.
        coreProbe.appendRows(6, 0, 90, 0)
        for (var r = 0; r < 6; ++r)
            dmx_list.setDmxData(100 + r, 1, r)
        mouseClick(item("addLight"))
        showUrl = "file://" + coreProbe.tempPath() + "/model-" + data.seed + ".dmx"
        verify(item("text_control").saveAccepted(showUrl, "Dmx files (*.dmx )"))
        settle()
        checkWindow("start")
        for (var i = 0; i < actionsPerSeed; ++i) {
            var what = act()
            settle()
            checkWindow("seed " + data.seed + ", action " + i + " (" + what + ")")
        }
    }
}
