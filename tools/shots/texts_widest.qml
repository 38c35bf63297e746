import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with its texts at their widest for the screenshot: speed 9999, the
// channels 480-512, 100 %, the output state beside the output button and the link box's
// tooltip. Run (add QT_SCALE_FACTOR=2 SCREEN_SIZE=2100x1700 for the scaled one):
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/texts-at-their-widest.png -input tools/shots/texts_widest.qml
WindowTestCase {
    name: "TextsShot"

    function test_hold() {
        coreProbe.appendRows(3, 0, 90, 0)
        mouseClick(item("addLight"))
        mouseClick(item("addLight"))
        item("textInput_speed").text = "9999"
        item("textInput3").text = "480"
        var table = item("dmxList")
        table.clicked(0)
        table.doubleClicked(2)
        win.followRow(2)
        coreProbe.setOutputState(1)
        mouseClick(item("dmxOutputBottom"))
        var list = item("dimChannel")
        list.positionViewAtEnd()
        wait(300)
        var flag = findChild(list.itemAtIndex(480), "linkage_Flag")
        mouseMove(flag, -10, -10)
        mouseMove(flag, flag.width / 2, flag.height / 2)
        tryVerify(function() { return findChild(list.itemAtIndex(480), "checkBoxTip").visible }, 3000)
        wait(8000)
    }
}
