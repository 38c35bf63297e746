import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window playing two projectors' four steps chased by MIDI time code from
// 01:00:03:00 on (offset 01:00:00:00), one beat a step, the tempo from a MIDI clock:
// SCREENSHOT_DISPLAY=:74 PROGRAM=build-test/tests/qml/tst_qml SETTLE=6 \
//     tools/screenshot.sh docs/sync-in-use.png -input tools/shots/sync_in_use.qml
WindowTestCase {
    name: "SyncInUseShot"

    SyncFeed {
        id: feed
        start: (3600 + 3) * 25
        clock: true
    }

    function test_hold() {
        verify(dmx_list.fixtures.add(0))
        verify(dmx_list.fixtures.add(0))
        var levels = [0, 255, 128, 60]
        for (var i = 0; i < levels.length; ++i)
            coreProbe.appendRows(1, 10, 5, levels[i])
        coreProbe.moveTo(0, 0, 3)
        sync.beatSteps = 1
        verify(sync.setTimecodeOffset("01:00:00:00"))
        verify(sync.setTimecodeSource("mtc"))
        dmx_list.dmxOutputEnable(true)
        dmx_list.sendDmxEnable(true)
        wait(10000)
    }
}
