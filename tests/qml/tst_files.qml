import QtQuick 2.10
import QtTest 1.2

// The panel's save and open handlers with the real file service and real files.
WindowTestCase {
    name: "ControlPanelFiles"

    function panel() {
        return item("text_control")
    }

    function fileUrl(name) {
        return "file://" + coreProbe.tempPath() + "/" + name
    }

    function test_saveExportsTheOrderedRange() {
        coreProbe.appendRows(10, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(7)
        table.doubleClicked(3)
        var url = fileUrl("range.c")
        verify(panel().saveAccepted(url, "Dmx-c files (*.c )"))
        compare(item("statesText").text, " save total change is:0")
        compare(win.c_file_name, url)
        var text = coreProbe.readFile(coreProbe.tempPath() + "/range.c")
        for (var r = 3; r <= 7; ++r)
            verify(text.indexOf("    //" + r + "-" + (r - 3) + "\n") >= 0, "record of row " + r)
        verify(text.indexOf("    //2-") < 0)
        verify(text.indexOf("    //8-") < 0)
    }

    function test_saveThenOpenAppendsRows() {
        coreProbe.appendRows(4, 5, 6, 9)
        win.posCount = win.initChCount + 18
        var url = fileUrl("show.dmx")
        verify(panel().saveAccepted(url, "Dmx files (*.dmx )"))
        compare(win.c_index, 18)
        compare(item("statesText").text, " save total change is:18")

        var table = item("dmxList")
        table.clicked(1)
        table.doubleClicked(2)
        panel().openAccepted(url)
        compare(coreProbe.rowCount(), 8)
        compare(win.c_index, 18)
        compare(win.playStart, 1)
        compare(win.playEnd, 7)
        compare(coreProbe.playEnd(), 7)
        compare(item("statesText").text, " open total change is:18")
        compare(win.c_file_name, url)
        compare(coreProbe.cell(6, 0), 6)
        compare(coreProbe.cell(6, 1), 5)
        compare(coreProbe.cell(6, 2), 6)
        compare(coreProbe.cell(6, 3), 9)
    }
}
