import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with a Laserworld CS-1000RGB Mk II and the capability menu of its colour
// channel open on the first step:
// SCREENSHOT_DISPLAY=:72 PROGRAM=build/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/capability-menu.png -input tools/shots/capability_menu.qml
TableTestCase {
    name: "CapabilityMenuShot"

    function test_hold() {
        verify(dmx_list.fixtures.addDefinition(
                   "/usr/share/qlcplus/fixtures/Laserworld/Laserworld-CS-1000RGB-MkII.qxf", 0))
        coreProbe.appendRows(3, 20, 10, 0)
        waitForRendering(table)
        var target = cell(0, 13)
        mouseClick(target, target.width / 2, target.height / 2, Qt.RightButton)
        tryCompare(win.capabilityMenu, "opened", true)
        mouseMove(win.capabilityMenu.itemAt(3), 20, 8)
        wait(10000)
    }
}
