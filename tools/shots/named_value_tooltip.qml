import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with a Laserworld CS-1000RGB Mk II from the installed QLC+ library,
// two steps programmed, and the pointer on the colour cell of the second step, whose
// tooltip names the value:
// SCREENSHOT_DISPLAY=:72 PROGRAM=build/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/named-value-tooltip.png -input tools/shots/named_value_tooltip.qml
TableTestCase {
    name: "NamedValueShot"

    function test_hold() {
        verify(dmx_list.fixtures.addDefinition(
                   "/usr/share/qlcplus/fixtures/Laserworld/Laserworld-CS-1000RGB-MkII.qxf", 0))
        coreProbe.appendRows(2, 20, 10, 0)
        var levels = [[150, 40, 0, 0, 0, 0, 0, 30, 0, 0, 60], [150, 82, 140, 0, 0, 0, 0, 100, 0, 0, 55]]
        for (var r = 0; r < 2; ++r)
            for (var c = 0; c < levels[r].length; ++c)
                dmx_list.setDmxData(levels[r][c], c + 3, r)
        table.clicked(1)
        for (c = 0; c < levels[1].length; ++c)
            dmx_data[c].dimValue = levels[1][c]
        waitForRendering(table)
        var target = cell(1, 13)
        mouseMove(target, target.width / 2 - 3, target.height / 2)
        mouseMove(target, target.width / 2, target.height / 2)
        wait(10000)
    }
}
