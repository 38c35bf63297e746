import QtQuick 2.10
import QtTest 1.2

WindowTestCase {
    name: "FixtureStrip"

    function entry(index) {
        var list = item("light_fix_select")
        var delegate = list.itemAtIndex(index)
        verify(delegate, "entry " + index)
        return delegate
    }

    function test_entriesAreThePatchFixtures() {
        var list = item("light_fix_select")
        compare(list.count, 6)
        compare(findChild(entry(0), "fixIdText").text, "0")
        compare(findChild(entry(5), "fixIdText").text, "5")
        // Added fixtures are table columns, not entries here.
        item("ch_type").currentIndex = 12
        mouseClick(item("addLight"))
        compare(list.count, 6)
    }

    function test_checkBoxWritesFixSelect() {
        var box = findChild(entry(2), "changeEnableFlag")
        compare(box.checked, true)
        mouseClick(box)
        compare(dmx_fix[2].fixSelect, 0)
        compare(box.checked, false)
        mouseClick(box)
        compare(dmx_fix[2].fixSelect, 1)
        compare(box.checked, true)
    }

    // Switching a fixture off packs the next fixture's channels into its frame slots.
    function test_checkBoxChangesFramePacking() {
        dmx_data[0].dimValue = 11
        dmx_data[18].dimValue = 77
        dmx_list.dmxOutputEnable(true)
        dmx.sendDmx()
        compare(coreProbe.frameSlot(0), 11)
        compare(coreProbe.frameSlot(18), 77)

        var box = findChild(entry(0), "changeEnableFlag")
        mouseClick(box)
        dmx.sendDmx()
        compare(coreProbe.frameSlot(0), 77)

        mouseClick(box)
        dmx.sendDmx()
        compare(coreProbe.frameSlot(0), 11)
        compare(coreProbe.frameSlot(18), 77)
    }
}
