import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with four projectors of one type over 32 steps and the generator dialog
// open on a saw chase of their first channel, a quarter cycle apart:
// SCREENSHOT_DISPLAY=:74 PROGRAM=build-test/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/generator-dialog.png -input tools/shots/generator_dialog.qml
TableTestCase {
    name: "GeneratorDialogShot"

    function test_hold() {
        for (var i = 0; i < 4; ++i)
            verify(dmx_list.fixtures.add(12))
        coreProbe.appendRows(32, 1, 0, 0)
        coreProbe.moveTo(-1, 0, 31)
        waitForRendering(table)
        var dialog = win.generatorDialog
        dialog.openFor(3)
        dialog.targetBox.currentIndex = 1
        dialog.shapeBox.currentIndex = 4
        dialog.spreadBox.value = 90
        tryCompare(dialog, "opened", true)
        wait(10000)
    }
}
