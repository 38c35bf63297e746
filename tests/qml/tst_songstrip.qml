import QtQuick 2.10
import QtTest 1.2

// The song strip in the window: there only while the show has a song and the user keeps it,
// the table making room for it; stopped, a press picks the row playing there and puts the
// playhead on it; hidden, the choice is kept with the window's settings.
WindowTestCase {
    name: "SongStrip"

    function test_strip() {
        var strip = item("songStrip")
        var table = item("dmxList")
        var tableHeight = table.height
        compare(strip.visible, false)
        coreProbe.appendRows(4, 10, 0, 0)
        dmx_list.setPlayerEndRow(3)
        strip.song = coreProbe.testSong(8000, 120)
        tryCompare(strip, "visible", true)
        compare(table.y, strip.y + 90)
        compare(table.height, tableHeight - 90)

        mouseClick(strip, strip.width * 2500 / 8000, 70)
        verify(Math.abs(strip.playheadMs - 2500) < 10, strip.playheadMs)
        compare(dmx_list.currentRow, 2)

        // Laid out beside the panel's other buttons at the next frame.
        waitForRendering(win.contentItem)
        mouseClick(item("songStripToggle"))
        tryCompare(strip, "visible", false)
        compare(table.height, tableHeight)
        compare(String(coreProbe.setting("window/songStrip")), "false")
    }
}
