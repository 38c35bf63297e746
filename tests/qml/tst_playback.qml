import QtQuick 2.10
import QtTest 1.2

// The window driven by the real playback engine and row editing operations.
WindowTestCase {
    name: "MainWindowPlayback"

    SignalSpy {
        id: rowSpy
        target: dmx_list
        signalName: "currentRowChanged"
    }

    // Needs the playback engine: the progress follows the rows the engine walks through.
    function test_indexDownFollowsPlayback() {
        coreProbe.appendRows(5, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(1)
        table.doubleClicked(4)
        var seen = []
        function record(index) { seen.push([index, win.indexDown]) }
        dmx_list.currentRowChanged.connect(record)
        rowSpy.clear()
        item("text_control").startRun()
        tryVerify(function() { return rowSpy.count >= 6 }, 5000, "playback walks the rows")
        item("text_control").stopRun()
        dmx_list.currentRowChanged.disconnect(record)
        for (var i = 0; i < seen.length; ++i) {
            var row = seen[i][0]
            verify(row >= 1 && row <= 4, "row " + row + " inside the range")
            fuzzyCompare(seen[i][1], (row - 1) / 3, 1e-9)
        }
    }

    // A row per tick: the table keeps still while the playing row is in view and then turns
    // a page, the row at its top, instead of scrolling at every step.
    function test_tableTurnsPagesWhilePlaying() {
        coreProbe.appendRows(200, 0, 0, 0)
        var table = item("dmxList")
        var view = findChild(table, "cells")
        table.clicked(0)
        table.doubleClicked(199)
        var seen = []
        function record(index) { seen.push([index, view.contentY]) }
        dmx_list.currentRowChanged.connect(record)
        rowSpy.clear()
        item("text_control").startRun()
        var pageRows = Math.ceil(view.height / table.rowHeight(0))
        tryVerify(function() { return seen.length > 0 && seen[seen.length - 1][0] > 3 * pageRows },
                  20000, "playback passes three pages")
        item("text_control").stopRun()
        dmx_list.currentRowChanged.disconnect(record)
        var turns = 0
        for (var i = 0; i < seen.length; ++i) {
            var row = seen[i][0], y = seen[i][1], top = table.rowTop(row)
            verify(top >= y - 0.5 && top + table.rowHeight(row) <= y + view.height + 0.5,
                   "row " + row + " in view at " + y)
            if (i > 0 && y !== seen[i - 1][1]) {
                ++turns
                fuzzyCompare(y, top, 0.5, "row " + row + " at the top after a turn")
            }
        }
        verify(turns >= 2 && turns <= 4, turns + " page turns")
    }

    // Minimised, the window hears nothing of playback; back, it shows the playing row at once.
    function test_minimisedWindowCatchesUpOnReturn() {
        coreProbe.appendRows(50, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(0)
        table.doubleClicked(49)
        rowSpy.clear()
        item("text_control").startRun()
        tryVerify(function() { return rowSpy.count > 1 }, 5000, "playback runs")
        win.showMinimized()
        tryCompare(dmx_list, "windowShown", false)
        rowSpy.clear()
        var hiddenAt = dmx_list.currentRow
        tryVerify(function() { return Math.abs(dmx_list.currentRow - hiddenAt) > 3 }, 5000,
                  "rows played while minimised")
        compare(rowSpy.count, 0, "nothing told while minimised")
        win.showNormal()
        compare(dmx_list.windowShown, true)
        verify(rowSpy.count > 0, "the playing row told on return")
        compare(table.markedRow, rowSpy.signalArguments[rowSpy.count - 1][0])
        item("text_control").stopRun()
    }

    function test_setAllUsesBothInputs() {
        // Needs the row editing operations.
        coreProbe.appendRows(3, 1, 1, 0)
        typeInto(item("textInput_speed"), "40")
        typeInto(item("textInput_fade"), "")
        mouseClick(item("speed_all"))
        for (var r = 0; r < 3; ++r) {
            compare(coreProbe.cell(r, 1), 40)
            compare(coreProbe.cell(r, 2), 0)
        }
    }

    function test_deleteStopsBeforeRowsGo() {
        coreProbe.appendRows(5, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(1)
        table.doubleClicked(2)
        var panel = item("text_control")
        panel.startRun()
        var runningAtRemoval = []
        function record() { runningAtRemoval.push(panel.runFlag) }
        // Rows may go one by one or with a full reset; either way the engine must be off.
        dmx_list.rowsAboutToBeRemoved.connect(record)
        dmx_list.modelAboutToBeReset.connect(record)
        mouseClick(findChild(panel, "delData"))
        dmx_list.rowsAboutToBeRemoved.disconnect(record)
        dmx_list.modelAboutToBeReset.disconnect(record)
        verify(runningAtRemoval.length > 0, "rows removed")
        compare(runningAtRemoval[0], false)
        compare(coreProbe.playing(), false)
        compare(coreProbe.rowCount(), 3)
    }

    function test_playButtonDrivesTheEngine() {
        coreProbe.appendRows(3, 0, 0, 0)
        var panel = item("text_control")
        mouseClick(findChild(panel, "sendDmxBottom"))
        compare(coreProbe.playing(), true)
        mouseClick(findChild(panel, "sendDmxBottom"))
        compare(coreProbe.playing(), false)
    }

    // The engine counts the repeats down; at 0 the panel ends playback and output.
    function test_lastRepeatEndsPlaybackAndOutput() {
        coreProbe.appendRows(3, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(0)
        table.doubleClicked(2)
        var panel = item("text_control")
        mouseClick(findChild(panel, "dmxOutputBottom"))
        dmx_list.repeat = 2
        panel.startRun()
        tryCompare(findChild(panel, "sendDmxBottom"), "text", "播放", 10000)
        compare(findChild(panel, "dmxOutputBottom").text, "DMX关闭")
        compare(coreProbe.outputEnabled(), false)
        compare(coreProbe.playing(), false)
    }
}
