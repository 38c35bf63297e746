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
}
