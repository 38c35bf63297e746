import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with a file prompt or a file error for the screenshot. Run:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/files-error.png -input tools/shots/files_error.qml
WindowTestCase {
    name: "FilesShot"

    function test_hold() {
        var panel = item("text_control")
        var folder = coreProbe.tempPath()
        coreProbe.appendRows(6, 10, 20, 0)
        item("ch_type").currentIndex = 7
        mouseClick(item("addLight"))
        panel.saveAccepted("file://" + folder + "/show1.dmx", "Dmx files (*.dmx )")
        dmx_list.setDmxData(255, 5, 2)
        coreProbe.writeHex(folder + "/show2.dmx", "515800000000000000004d44583531320000000001000000120000000400")
        panel.openAccepted("file://" + folder + "/show2.dmx")
        wait(8000)
    }
}
