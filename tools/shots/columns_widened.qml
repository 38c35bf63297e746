import QtQuick 2.10
import QtQuick.Window 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window spread over the screen with columns the user widened: a Laserworld
// CS-1000RGB Mk II from the installed QLC+ library fitted to its titles by a double click on
// the end of its model's band, and one column of a QLC+ file dragged wider at its title's
// edge. Run on a 1920 x 1080 screen:
// SCREEN_SIZE=1920x1080 SCREENSHOT_DISPLAY=:96 PROGRAM=build/tests/qml/tst_qml SETTLE=5 \
//     tools/screenshot.sh docs/columns-widened.png -input tools/shots/columns_widened.qml
TableTestCase {
    name: "ColumnsWidenedShot"

    function edge(column, y) {
        var title = header(column)
        return title.mapToItem(findChild(table, "titleWatch"), title.width - 1, y)
    }

    function test_hold() {
        if (Screen.desktopAvailableWidth >= 1920) {
            win.x = 0
            win.y = 0
            win.width = Screen.desktopAvailableWidth
            win.height = Screen.desktopAvailableHeight
        }
        verify(dmx_list.fixtures.addDefinition(
                   "/usr/share/qlcplus/fixtures/Laserworld/Laserworld-CS-1000RGB-MkII.qxf", 0))
        verify(dmx_list.fixtures.addDefinition(Qt.resolvedUrl("../../tests/qml/fixtures/Testwerk-Pattern-Laser.qxf")
                                               .toString().replace("file://", ""), 0))
        verify(table.addDevice(0))
        coreProbe.appendRows(12, 20, 10, 0)
        var levels = [0, 128, 255, 64, 192, 30, 7]
        for (var r = 0; r < 12; ++r) {
            for (var c = 3; c < win.posCount; ++c)
                dmx_list.setDmxData(levels[(r * 3 + c) % levels.length], c, r)
        }
        dmx_list.refrushModel()
        coreProbe.moveTo(4, 2, 6)
        settle()
        var watch = findChild(table, "titleWatch")
        var at = edge(table.posArrary[0] - 1, 5)
        mouseDoubleClickSequence(watch, at.x, at.y)
        settle()
        at = edge(table.posArrary[0] + 2, 60)
        mouseDrag(watch, at.x, at.y, 60, 0)
        settle()
        waitForRendering(table)
        mouseMove(watch, at.x + 60, at.y)
        wait(12000)
    }
}
