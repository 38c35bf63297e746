import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Playback of rows 0 to 3 stopped in the middle of row 1's three-second fade: the faders
// show the red row's 255 / 127 / 0 on channels 3, 4 and 15, not the fade's last output. Run:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/stop-mid-fade.png -input tools/shots/stop_mid_fade.qml
TableTestCase {
    name: "StopMidFadeShot"

    function test_hold() {
        coreProbe.appendRows(4, 10, 30, 0)
        mouseClick(item("addLight"))
        dmx_list.setDmxData(200, 17, 0)
        dmx_list.setDmxData(255, 5, 1)
        dmx_list.setDmxData(127, 6, 1)
        clickRow(0)
        clickRow(3, false, Qt.ShiftModifier)
        dmx_list.sendDmxEnable(true)
        tryVerify(function() { return dmx_list.currentRow === 1 }, 5000)
        wait(1500)
        dmx_list.sendDmxEnable(false)
        mouseMove(win.contentItem, 5, 5)
        wait(15000)
    }
}
