import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Puts the real window into a typical editing state and holds it for tools/screenshot.sh:
// three fixtures of different types, a play range, a selected row and levels of 0, 128
// and 255. Run: PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//                   tools/screenshot.sh docs/step-table.png -input tools/shots/step_table.qml
WindowTestCase {
    name: "StepTableShot"

    function test_hold() {
        var table = item("dmxList")
        coreProbe.appendRows(14, 0, 0, 0)
        var types = [12, 5, 8]
        for (var t = 0; t < types.length; ++t) {
            item("ch_type").currentIndex = types[t]
            mouseClick(item("addLight"))
        }
        var levels = [0, 128, 255, 64, 192]
        for (var r = 0; r < 14; ++r) {
            dmx_list.setDmxData(r * 700, 1, r)
            dmx_list.setDmxData(r * 18, 2, r)
            for (var c = 3; c < win.posCount; ++c)
                dmx_list.setDmxData(levels[(r + c) % levels.length], c, r)
        }
        dmx_list.refrushModel()
        table.clicked(2)
        table.doubleClicked(8)
        coreProbe.moveTo(5, 2, 8)
        wait(15000)
    }
}
