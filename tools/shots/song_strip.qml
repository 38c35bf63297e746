import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Puts the real window into a show set to a song and holds it for tools/screenshot.sh: a
// 3:20 song at 120 bpm (a made-up waveform, as tests fill a song), a range of eight steps of
// different holds and fades, the first one picked, and the playhead placed by a press. Run:
//   PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//       tools/screenshot.sh docs/song-strip.png -input tools/shots/song_strip.qml
WindowTestCase {
    name: "SongStripShot"

    function test_hold() {
        var strip = item("songStrip")
        var holds = [40, 20, 60, 30, 80, 20, 50, 100]
        var fades = [0, 10, 30, 0, 20, 0, 60, 0]
        coreProbe.appendRows(10, 0, 0, 0)
        for (var r = 0; r < holds.length; ++r) {
            dmx_list.setDmxData(holds[r], 1, r)
            dmx_list.setDmxData(fades[r], 2, r)
            dmx_list.setDmxData((r * 37) % 256, 3, r)
        }
        dmx_list.refrushModel()
        strip.song = coreProbe.testSong(200000, 120)
        waitForRendering(win.contentItem)
        // The press picks its row as a click in the table does, the range's start with it:
        // the range is set afterwards.
        mouseClick(strip, strip.width * 0.42, 70)
        item("dmxList").clicked(0)
        item("dmxList").doubleClicked(7)
        wait(15000)
    }
}
