import QtQuick 2.10
import QtQuick.Window 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window spread over the screen with fixtures from the libraries: a Laserworld
// CS-1000RGB Mk II from the installed QLC+ library, an Open Fixture Library file, a QLC+
// file and a built-in type, some steps programmed and the pointer on a channel title, whose
// tooltip gives the whole name. Run on a 1920 x 1080 screen:
// SCREEN_SIZE=1920x1080 SCREENSHOT_DISPLAY=:72 PROGRAM=build/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/window-1920.png -input tools/shots/window_wide.qml
// and on the default screen for the window at its default size.
TableTestCase {
    name: "WideWindowShot"

    function fixtureFile(name) {
        return Qt.resolvedUrl("../../tests/qml/fixtures/" + name).toString().replace("file://", "")
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
        verify(dmx_list.fixtures.addDefinition(fixtureFile("ofl-beam-projector.json"), 0))
        verify(dmx_list.fixtures.addDefinition(fixtureFile("Testwerk-Pattern-Laser.qxf"), 0))
        verify(table.addDevice(0))
        coreProbe.appendRows(12, 20, 10, 0)
        var levels = [0, 128, 255, 64, 192, 30, 7]
        for (var r = 0; r < 12; ++r) {
            for (var c = 3; c < win.posCount; ++c)
                dmx_list.setDmxData(levels[(r * 3 + c) % levels.length], c, r)
        }
        dmx_list.refrushModel()
        table.clicked(2)
        table.doubleClicked(6)
        coreProbe.moveTo(4, 2, 6)
        waitForRendering(table)
        var title = table.mapToItem(null, table.columnLeft(10) + table.channelWidth / 2, 60)
        mouseMove(win.contentItem, title.x - 4, title.y)
        mouseMove(win.contentItem, title.x, title.y)
        wait(12000)
    }
}
