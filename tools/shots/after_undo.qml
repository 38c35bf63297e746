import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// The window after an undo, as a user gets there: two steps, row 0 picked, "增加", row 2
// picked, Ctrl+Z. The red row is the row the faders write into. Run:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/after-undo.png -input tools/shots/after_undo.qml
TableTestCase {
    name: "AfterUndoShot"

    function test_hold() {
        coreProbe.appendRows(2, 5, 10, 0)
        item("ch_type").currentIndex = 8
        mouseClick(item("addLight"))
        dmx_list.setDmxData(159, 6, 1)
        dmx_list.setDmxData(239, 7, 1)
        clickRow(0)
        mouseClick(button("addData"))
        clickRow(2)
        win.requestActivate()
        keyClick(Qt.Key_Z, Qt.ControlModifier)
        mouseMove(win.contentItem, 5, 5)
        wait(15000)
    }
}
