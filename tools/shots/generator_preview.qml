import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with four projectors of one type over 32 steps and the generator dialog
// open on a saw chase of their first channel, a quarter cycle apart, moved low and right so
// that the previewed cells show:
// SCREENSHOT_DISPLAY=:74 PROGRAM=build-test/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/generator-preview.png -input tools/shots/generator_preview.qml
TableTestCase {
    name: "GeneratorPreviewShot"

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
        dialog.x = dialog.parent.width - dialog.width - 10
        dialog.y = dialog.parent.height - dialog.height - 40
        wait(10000)
    }
}
