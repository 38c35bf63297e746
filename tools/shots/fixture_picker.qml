import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with the fixture picker open on the installed QLC+ library, searched for
// "laserworld" in the Laser category, the CS-1000RGB Mk II chosen:
// SCREENSHOT_DISPLAY=:72 PROGRAM=build/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/fixture-picker.png -input tools/shots/fixture_picker.qml
WindowTestCase {
    name: "FixturePickerShot"

    function test_hold() {
        tryCompare(fixture_picker, "ready", true, 20000)
        var picker = win.fixturePicker
        mouseClick(item("openLibrary"))
        tryCompare(picker, "opened", true)
        picker.categoryBox.currentIndex = 1
        picker.categoryBox.activated(1)
        picker.searchField.text = "laserworld"
        for (var i = 0; i < picker.list.count; ++i) {
            picker.list.currentIndex = i
            if (picker.chosen && picker.chosen.label === "Laserworld CS-1000RGB Mk II")
                break
        }
        wait(10000)
    }
}
