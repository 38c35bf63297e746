import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// A range narrowed twice inside earlier ones: rows 1 to 7, then 3 to 4, then 0 to 1 picked
// with a click and a Shift+click each. Only rows 0 and 1 are shaded. Run:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/range-narrowed.png -input tools/shots/range_narrowed.qml
TableTestCase {
    name: "RangeNarrowedShot"

    function test_hold() {
        coreProbe.appendRows(9, 5, 10, 0)
        mouseClick(item("addLight"))
        var picks = [1, 7, 3, 4, 0, 1]
        for (var i = 0; i < picks.length; ++i)
            clickRow(picks[i], false, i % 2 ? Qt.ShiftModifier : Qt.NoModifier)
        mouseMove(win.contentItem, 5, 5)
        wait(15000)
    }
}
