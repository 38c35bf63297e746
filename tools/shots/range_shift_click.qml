import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// The window after a Shift+click inside an earlier range: range rows 1 to 7, then row 3
// clicked and row 4 Shift+clicked. Shading, status range and "删除" cover rows 3 and 4. Run:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/range-shift-click.png -input tools/shots/range_shift_click.qml
TableTestCase {
    name: "RangeShot"

    function test_hold() {
        coreProbe.appendRows(10, 5, 10, 0)
        item("ch_type").currentIndex = 8
        mouseClick(item("addLight"))
        for (var r = 0; r < 10; ++r)
            dmx_list.setDmxData(20 * r, 3 + r % 15, r)
        clickRow(1)
        doubleClickRow(7)
        clickRow(3)
        clickRow(4, false, Qt.ShiftModifier)
        mouseMove(win.contentItem, 5, 5)
        wait(15000)
    }
}
