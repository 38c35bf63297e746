import QtQuick 2.10
import QtTest 1.2

// The song strip in the window: there only with a song, unless hidden (a choice kept in the
// settings), the table making room; stopped, a press picks the row and moves the playhead.
WindowTestCase {
    name: "SongStrip"

    function test_strip() {
        var strip = item("songStrip"), table = item("dmxList"), tableHeight = table.height
        compare(strip.visible, false)
        coreProbe.appendRows(4, 10, 0, 0)
        dmx_list.setPlayerEndRow(3)
        strip.song = coreProbe.testSong(8000, 120)
        tryCompare(strip, "visible", true)
        compare(table.height, tableHeight - 90)

        mouseClick(strip, strip.width * 2500 / 8000, 70)
        verify(Math.abs(strip.playheadMs - 2500) < 10, strip.playheadMs)
        compare(dmx_list.currentRow, 2)

        item("songLine").open() // the toggle sits in the song line
        waitForRendering(win.contentItem)
        mouseClick(item("songStripToggle"))
        tryCompare(strip, "visible", false)
        compare(table.height, tableHeight)
        compare(String(coreProbe.setting("window/songStrip")), "false")
    }
}
