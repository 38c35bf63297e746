import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with six fixtures in the fixture strip, the fourth switched off and the
// pointer resting on the sixth. Run, then cut to the strip:
// PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh full.png -input tools/shots/fixture_strip.qml
// convert full.png -crop 1000x160+0+231 +repage docs/fixture-strip.png
WindowTestCase {
    name: "FixtureStripShot"

    function test_hold() {
        var types = [0, 0, 0, 0, 12, 12]
        for (var t = 0; t < types.length; ++t) {
            item("ch_type").currentIndex = types[t]
            mouseClick(item("addLight"))
        }
        var list = item("light_fix_select")
        wait(300)
        mouseClick(findChild(list.itemAtIndex(3), "changeEnableFlag"))
        var entry = list.itemAtIndex(5)
        mouseMove(entry, -5, -5)
        mouseMove(entry, entry.width / 2, entry.height / 2)
        wait(8000)
    }
}
