import QtQuick 2.10
import QtTest 1.2

// Base of the tests that work the step table as a user does: cells found in the view that
// holds their column, picks on the step numbers, typed cells and the panel's buttons.
WindowTestCase {
    property var table: null
    // The channel columns scroll in view; step number, speed and fade stay in fixedView.
    property var view: null
    property var fixedView: null
    // Looked up once: a search through the whole table is slow next to what it checks.
    property var rowLayer: null

    function init() {
        createWindow()
        table = item("dmxList")
        view = findChild(table, "cells")
        fixedView = findChild(table, "stepColumns")
        rowLayer = findChild(table, "rowLayer")
        verify(view && fixedView && rowLayer)
    }

    function viewOf(column) {
        return column < table.fixedColumns ? fixedView : view
    }

    // Cells and headers in view; pooled ones keep an old place and are left out.
    function shownItems(parent, name) {
        var found = []
        var kids = parent.children
        for (var i = 0; i < kids.length; ++i) {
            if (kids[i].objectName === name && kids[i].inView && kids[i].visible)
                found.push(kids[i])
        }
        return found
    }

    // The title of a column in view.
    function header(column) {
        var name = column < table.fixedColumns ? "fixedHeader" : "tableHeader"
        var all = shownItems(findChild(table, name).contentItem, "header")
        for (var i = 0; i < all.length; ++i) {
            if (all[i].headerColumn === column)
                return all[i]
        }
        fail("no header " + column)
    }

    function cellOrNull(row, column) {
        var all = shownItems(viewOf(column).contentItem, "cell")
        for (var i = 0; i < all.length; ++i) {
            if (all[i].modelRow === row && all[i].modelColumn === column)
                return all[i]
        }
        return null
    }

    function cell(row, column) {
        var found = cellOrNull(row, column)
        verify(found, "cell " + row + "," + column)
        return found
    }

    // As the user does: a click on the number opens the editor, then select all, type and
    // confirm with the keypad Enter.
    function typeIntoCell(row, column, text) {
        var target = cell(row, column)
        mouseClick(target, target.width / 2, target.height / 2)
        var input = findChild(target, "cellEditor")
        verify(input, "editor of " + row + "," + column)
        keyClick(Qt.Key_A, Qt.ControlModifier)
        if (text === "")
            keyClick(Qt.Key_Delete)
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
        keyClick(Qt.Key_Enter)
        tryVerify(function() { return !target.editing }, 5000, "editor closes")
        return target
    }

    // The colour the row layer draws under a row: its topmost shape there. Children are
    // drawn in order; the repeater's shapes come out of its model in order too.
    function drawnRowColour(row) {
        var layer = rowLayer
        var middle = table.rowTop(row) + table.rowHeight(row) / 2
        var colour = "transparent"
        var shapes = layer.children
        for (var i = 0; i < shapes.length; ++i) {
            var s = shapes[i]
            if (s.visible && s.width > 20 && s.y <= middle && middle < s.y + s.height)
                colour = s.color
        }
        return colour
    }

    // Until the events a change queued have run and both views have laid out its result.
    function settle() {
        wait(0)
        waitForItemPolished(view)
        waitForItemPolished(fixedView)
    }

    // Rows are picked on their step number, in the first column.
    function clickRow(row, twice, modifiers) {
        view.contentX = 0
        table.positionViewAtRow(row, 0)
        settle()
        var target = cell(row, 0)
        if (twice)
            mouseDoubleClickSequence(target, target.width / 2, target.height / 2)
        else
            mouseClick(target, target.width / 2, target.height / 2, Qt.LeftButton, modifiers)
    }

    function doubleClickRow(row) {
        clickRow(row, true)
    }

    function button(name) {
        return findChild(item("text_control"), name)
    }
}
