import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with the tempo and timecode settings open: 120 BPM tapped, one beat a
// step, MIDI time code running from 01:00:03:00 on, offset 01:00:00:00:
// SCREENSHOT_DISPLAY=:74 PROGRAM=build-test/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/sync-settings.png -input tools/shots/sync_settings.qml
WindowTestCase {
    name: "SyncSettingsShot"

    SyncFeed {
        start: (3600 + 3) * 25
    }
    Timer {
        id: tapper
        property int left: 4
        interval: 500
        repeat: true
        onTriggered: {
            sync.tap()
            if (--left <= 0)
                stop()
        }
    }

    function test_hold() {
        coreProbe.appendRows(4, 10, 5, 0)
        sync.beatSteps = 1
        verify(sync.setTimecodeOffset("01:00:00:00"))
        verify(sync.setTimecodeSource("mtc"))
        sync.tap()
        tapper.start()
        win.syncSettings.open()
        tryCompare(win.syncSettings, "opened", true)
        wait(10000)
    }
}
