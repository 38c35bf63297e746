import QtQuick 2.10
import QtTest 1.2

// The generator dialog and the fixture copy on the real core: a four-projector chase made
// from a column title's menu, previewed while playing, kept, undone and redone; a cancelled
// fill that saves byte for byte as before.
TableTestCase {
    name: "Generators"

    property int span: 0

    // Four fixtures of one type, 32 steps at level 0, the whole table as the play range.
    function chaseTable() {
        for (var i = 0; i < 4; ++i)
            verify(dmx_list.fixtures.add(12))
        span = dmx_list.fixtures.channelCounts[0]
        coreProbe.appendRows(32, 1, 0, 0)
        coreProbe.moveTo(-1, 0, 31)
        waitForRendering(table)
    }

    function header(column) {
        var all = shownItems(findChild(table, "tableHeader").contentItem, "header")
        for (var i = 0; i < all.length; ++i) {
            if (all[i].headerColumn === column)
                return all[i]
        }
        return null
    }

    function openFromTitle(column, entry) {
        var title = header(column)
        verify(title, "title of column " + column)
        mouseClick(title, title.width / 2, title.height / 2, Qt.RightButton)
        tryCompare(win.effectMenu, "opened", true)
        var choice = findChild(win.effectMenu.contentItem, entry)
        verify(choice.enabled, entry)
        mouseClick(choice)
    }

    function savedBytes(name) {
        var url = "file://" + coreProbe.tempPath() + "/" + name
        verify(item("text_control").saveAccepted(url, "Dmx files (*.dmx )"))
        return coreProbe.fileHex(coreProbe.tempPath() + "/" + name)
    }

    function test_chaseIsPreviewedPlayedKeptAndUndone() {
        chaseTable()
        var dialog = win.generatorDialog
        openFromTitle(3, "fillSameChannel")
        tryCompare(dialog, "opened", true)
        compare(dialog.targetBox.currentIndex, 1)
        dialog.shapeBox.currentIndex = 4 // saw
        dialog.spreadBox.value = 90
        // A quarter cycle over 32 steps: each projector runs 8 steps behind the one before.
        tryVerify(function() { return coreProbe.cell(8, 3) === 64 }, 2000, "first projector")
        compare(coreProbe.cell(8, 3 + span), 0)
        compare(coreProbe.cell(0, 3 + span), 191)
        compare(coreProbe.cell(0, 3 + 3 * span), 64)
        compare(coreProbe.cell(8, 4), 0) // the fixture's other channels stay
        tryCompare(cell(8, 3), "previewed", true)
        compare(cell(8, 4).previewed, false)
        // The preview plays.
        mouseClick(findChild(dialog.contentItem, "generatorPlay"))
        tryVerify(function() { return coreProbe.playing() })
        tryVerify(function() { return coreProbe.level(0) > 0 }, 3000, "the preview is output")
        mouseClick(findChild(dialog.contentItem, "generatorPlay"))
        tryVerify(function() { return !coreProbe.playing() })
        var steps = dmx_list.history.count()
        mouseClick(dialog.keepButton)
        tryCompare(dialog, "visible", false)
        compare(dmx_list.history.count(), steps + 1)
        compare(dmx_list.effects.pending, false)
        tryCompare(cell(8, 3), "previewed", false)
        compare(coreProbe.cell(8, 3), 64)
        verify(dmx_list.history.undo())
        compare(coreProbe.cell(8, 3), 0)
        compare(coreProbe.cell(0, 3 + span), 0)
        verify(dmx_list.history.redo())
        compare(coreProbe.cell(0, 3 + span), 191)
    }

    function test_cancelledFillSavesAsBefore() {
        chaseTable()
        dmx_list.setDmxData(77, 4, 5)
        var before = savedBytes("before.dmx")
        var steps = dmx_list.history.count()
        var dialog = win.generatorDialog
        // The fade column's cells offer the generators too.
        var fade = cell(3, 2)
        mouseClick(fade, fade.width / 2, fade.height / 2, Qt.RightButton)
        tryCompare(win.effectMenu, "opened", true)
        compare(win.effectMenu.column, 2)
        win.effectMenu.close()
        tryCompare(win.effectMenu, "visible", false)
        openFromTitle(4, "fillColumn")
        tryCompare(dialog, "opened", true)
        dialog.shapeBox.currentIndex = 1 // sine
        dialog.toBox.value = 300
        tryVerify(function() { return coreProbe.cell(16, 4) === 255 })
        verify(dmx_list.effects.clamped)
        verify(Qt.colorEqual(findChild(dialog.contentItem, "generatorNote").color, "firebrick"))
        mouseClick(dialog.cancelButton)
        tryCompare(dialog, "visible", false)
        compare(coreProbe.cell(5, 4), 77)
        compare(savedBytes("after.dmx"), before)
        compare(dmx_list.history.count(), steps)
    }

    function test_escapeCancelsToo() {
        chaseTable()
        dmx_list.setDmxData(9, 4, 0)
        var steps = dmx_list.history.count()
        var dialog = win.generatorDialog
        keyClick(Qt.Key_G, Qt.ControlModifier)
        tryCompare(dialog, "opened", true)
        tryVerify(function() { return coreProbe.cell(31, 3) === 255 })
        // The window's keys wait while the dialog is open.
        keyClick(Qt.Key_Z, Qt.ControlModifier)
        keyClick(Qt.Key_Delete)
        compare(dmx_list.history.count(), steps)
        compare(coreProbe.rowCount(), 32)
        compare(coreProbe.cell(0, 4), 9)
        keyClick(Qt.Key_Escape)
        tryCompare(dialog, "visible", false)
        compare(coreProbe.cell(31, 3), 0)
    }

    // The dialog takes the table as the user left it and leaves playback as it found it.
    function test_dialogTakesTheTableAsLeft() {
        chaseTable()
        coreProbe.moveTo(-1, 2, 5)
        var typed = cell(2, 4)
        mouseClick(typed, typed.width / 2, typed.height / 2)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        keyClick(Qt.Key_4)
        keyClick(Qt.Key_2)
        var dialog = win.generatorDialog
        dialog.openFor(3)
        tryCompare(dialog, "opened", true)
        verify(!typed.editing, "the editor is closed")
        compare(coreProbe.cell(2, 4), 42)
        compare(findChild(dialog.contentItem, "generatorNote").text, "预览：第 2–5 步")
        mouseClick(findChild(dialog.contentItem, "generatorPlay"))
        tryVerify(function() { return coreProbe.playing() })
        mouseClick(dialog.keepButton)
        tryCompare(dialog, "visible", false)
        verify(!coreProbe.playing(), "the trial run ends with the dialog")
    }

    function test_fixtureCopyRunsBehind() {
        chaseTable()
        for (var r = 0; r < 4; ++r)
            dmx_list.setDmxData(10 * (r + 1), 3, r)
        coreProbe.moveTo(-1, 0, 3)
        var steps = dmx_list.history.count()
        openFromTitle(3, "copyFixtureItem")
        var dialog = win.fixtureCopyDialog
        tryCompare(dialog, "opened", true)
        compare(dialog.others, [1, 2, 3])
        dialog.offsetBox.value = 1
        mouseClick(dialog.copyButton)
        tryCompare(dialog, "visible", false)
        compare(dmx_list.history.count(), steps + 1)
        compare(coreProbe.cell(1, 3 + span), 10)
        compare(coreProbe.cell(0, 3 + span), 40)
        compare(coreProbe.cell(2, 3 + 2 * span), 10)
        compare(coreProbe.cell(3, 3 + 3 * span), 10)
        compare(coreProbe.cell(4, 3 + span), 0) // past the range
        verify(dmx_list.history.undo())
        compare(coreProbe.cell(1, 3 + span), 0)
        compare(coreProbe.cell(0, 3), 10)
    }

    // Every named value of a definition's channel in order, one per step, less those left out.
    function test_namedValuesOfADefinition() {
        var laser = String(Qt.resolvedUrl("fixtures")).replace("file://", "")
                + "/Testwerk-Pattern-Laser.qxf"
        verify(dmx_list.fixtures.addDefinition(laser, 0), dmx_list.fixtures.lastError())
        verify(dmx_list.fixtures.addDefinition(laser, 0))
        compare(dmx_list.effects.sameKind(0), [1])
        coreProbe.appendRows(6, 1, 0, 0)
        coreProbe.moveTo(-1, 0, 5)
        waitForRendering(table)
        var dialog = win.generatorDialog
        dialog.openFor(4)
        tryCompare(dialog, "opened", true)
        dialog.shapeBox.currentIndex = 6
        var boxes = findChildren(dialog.contentItem, "namedValue")
        compare(boxes.length, 4)
        compare(boxes[1].text, "10 Line")
        waitForRendering(dialog.contentItem)
        mouseClick(boxes[1])
        compare(dialog.namedChosen, [true, false, true, true])
        tryVerify(function() { return coreProbe.cell(1, 4) === 20 })
        var shown = []
        for (var r = 0; r < 6; ++r)
            shown.push(coreProbe.cell(r, 4))
        compare(shown, [0, 20, 30, 0, 20, 30])
        mouseClick(dialog.keepButton)
        tryCompare(dialog, "visible", false)
        compare(coreProbe.cell(2, 4), 30)
    }

    function findChildren(parent, name) {
        var found = []
        var kids = parent.children
        for (var i = 0; i < kids.length; ++i) {
            if (kids[i].objectName === name && kids[i].visible)
                found.push(kids[i])
            found = found.concat(findChildren(kids[i], name))
        }
        return found
    }
}
