import QtQuick 2.10
import QtTest 1.2

WindowTestCase {
    name: "FixtureStrip"

    function entry(index) {
        var list = item("light_fix_select")
        // The strip's width follows its count; lay it out before asking for an entry.
        list.forceLayout()
        var delegate = list.itemAtIndex(index)
        verify(delegate, "entry " + index)
        return delegate
    }

    function test_entriesAreThePatchFixtures_data() {
        // Each step: a fixture type to add, or -1 for "删除灯具"; then the strip's entries.
        return [
            { tag: "start-up", steps: [], types: ["18ch", "18ch", "18ch", "18ch", "18ch", "18ch"] },
            { tag: "two added", steps: [12, 0], types: ["Type 13 (5ch)", "Type 01 (33ch)"] },
            { tag: "last removed", steps: [12, 0, -1], types: ["Type 13 (5ch)"] },
            { tag: "all removed", steps: [12, -1], types: ["18ch", "18ch", "18ch", "18ch", "18ch", "18ch"] }
        ]
    }

    function test_entriesAreThePatchFixtures(data) {
        for (var i = 0; i < data.steps.length; ++i) {
            if (data.steps[i] < 0) {
                mouseClick(item("deleteLight"))
                continue
            }
            item("ch_type").currentIndex = data.steps[i]
            mouseClick(item("addLight"))
        }
        var list = item("light_fix_select")
        // The strip hears of the patch once per pass of the event loop.
        tryCompare(list, "count", data.types.length)
        for (i = 0; i < data.types.length; ++i) {
            compare(findChild(entry(i), "fixIdText").text, String(i))
            compare(entry(i).typeText, data.types[i])
            compare(findChild(entry(i), "changeEnableFlag").checked, true)
        }
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
