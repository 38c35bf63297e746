import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// The step table with twenty fixtures, scrolled to the far right and down: step number,
// speed and fade stay at the left. Run: PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/step-table-scrolled.png -input tools/shots/step_table_scrolled.qml
WindowTestCase {
    name: "StepTableScrolledShot"

    function test_hold() {
        var table = item("dmxList")
        coreProbe.appendRows(60, 0, 0, 0)
        item("ch_type").currentIndex = 8
        for (var t = 0; t < 20; ++t)
            mouseClick(item("addLight"))
        // Away from the fixture chooser, whose tip would cover the panel.
        mouseMove(table, table.width - 5, 5)
        var levels = [0, 128, 255, 64, 192]
        for (var r = 0; r < 60; ++r) {
            dmx_list.setDmxData(r * 50, 1, r)
            dmx_list.setDmxData(r * 3, 2, r)
            for (var c = 3; c < win.posCount; ++c)
                dmx_list.setDmxData(levels[(r + c) % levels.length], c, r)
        }
        dmx_list.refrushModel()
        table.clicked(30)
        table.doubleClicked(38)
        coreProbe.moveTo(34, 30, 38)
        table.positionViewAtRow(45, 0)
        var view = findChild(table, "cells")
        view.contentX = view.contentWidth - view.width
        wait(15000)
    }
}
