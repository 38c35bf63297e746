import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Puts the fader strip into a state worth looking at and holds it for the screenshot:
// 25 patched channels, levels along a wave, link and snap flags, one strip switched off
// and one switched on by hand.
WindowTestCase {
    name: "FaderStripScene"

    function test_scene() {
        dmx_list.fixtures.add(8)
        dmx_list.fixtures.add(10)
        for (var ch = 0; ch < 40; ++ch)
            dmx_data[ch].dimValue = Math.round(127.5 + 127.5 * Math.sin(ch / 3))
        dmx_data[12].dimValue = 0
        dmx_data[13].dimValue = 255
        var list = item("dimChannel")
        for (ch = 0; ch < 6; ++ch)
            mouseClick(findChild(list.itemAtIndex(ch * 2), "linkage_Flag"))
        coreProbe.announceDimEn(1, 1)
        coreProbe.announceDimEn(4, 1)
        coreProbe.announceDimEn(27, 1)
        mouseClick(findChild(list.itemAtIndex(8), "dimNumber"))
        mouseClick(findChild(list.itemAtIndex(29), "dimNumber"))
        wait(8000)
    }
}
