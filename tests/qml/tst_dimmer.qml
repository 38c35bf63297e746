import QtQuick 2.10
import QtTest 1.2

// The fader strip on the real window and core: keys, patch, hand toggle, check boxes and
// the road of a fader move into the table and the frame.
WindowTestCase {
    name: "FaderStrip"

    SignalSpy {
        id: resetSpy
        target: dmx_list
        signalName: "modelReset"
    }

    function strip(index) {
        var found = item("dimChannel").itemAtIndex(index)
        verify(found, "strip " + index)
        return found
    }

    function part(index, name) {
        var found = findChild(strip(index), name)
        verify(found, name + " of strip " + index)
        return found
    }

    function pressKeys(index, keys) {
        strip(index).forceActiveFocus()
        for (var i = 0; i < keys.length; ++i)
            keyClick(keys[i])
    }

    // The table's first row becomes the current row and the panel stops, which turns live
    // sending on; the output is switched on so frames reach the interface.
    function stoppedOnRow(row) {
        coreProbe.appendRows(3, 0, 0, 0)
        item("dmxList").clicked(row)
        compare(item("text_control").runFlag, false)
        dmx_list.dmxOutputEnable(true)
    }

    // Drags the handle of a fader from the bottom to 3/4 of the way up.
    function dragFader(index) {
        var slider = part(index, "sizeSlider")
        var x = slider.width / 2
        var bottom = slider.height - slider.bottomPadding - 14
        var target = slider.topPadding + 14 + (slider.availableHeight - 28) / 4
        mousePress(slider, x, bottom)
        for (var y = bottom; y > target; y -= 10)
            mouseMove(slider, x, y)
        mouseMove(slider, x, target)
        mouseRelease(slider, x, target)
        return slider
    }

    function test_typedNumbers_data() {
        return [
            { tag: "first digits append to 0", start: 80, keys: [Qt.Key_5, Qt.Key_Enter], value: 5 },
            { tag: "Enter at start applies the 0", start: 80, keys: [Qt.Key_Enter], value: 0 },
            { tag: "1 2 0", start: 0, keys: [Qt.Key_1, Qt.Key_2, Qt.Key_0, Qt.Key_Enter], value: 120 },
            { tag: "9 9 9 clamps", start: 0, keys: [Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_Enter], value: 255 },
            { tag: "long number clamps", start: 0,
              keys: [Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9,
                     Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_9, Qt.Key_Enter], value: 255 },
            { tag: "Return does not apply", start: 40, keys: [Qt.Key_7, Qt.Key_Return], value: 40 },
            { tag: "second number starts afresh", start: 0,
              keys: [Qt.Key_3, Qt.Key_Enter, Qt.Key_4, Qt.Key_2, Qt.Key_Enter], value: 42 }
        ]
    }

    function test_typedNumbers(data) {
        dmx_data[6].dimValue = data.start
        pressKeys(6, data.keys)
        compare(dmx_data[6].dimValue, data.value)
        compare(part(6, "sizeSlider").value, data.value)
        compare(strip(6).num_value, data.value)
    }

    function test_enterWithNothingTypedChangesNothing() {
        pressKeys(2, [Qt.Key_6, Qt.Key_Enter])
        compare(dmx_data[2].dimValue, 6)
        dmx_data[2].dimValue = 90
        pressKeys(2, [Qt.Key_Enter, Qt.Key_Enter])
        compare(dmx_data[2].dimValue, 90)
        compare(strip(2).num, -1)
    }

    function test_jumpKeys_data() {
        return [
            { tag: "Page Up clamps", start: 250, key: Qt.Key_PageUp, value: 255 },
            { tag: "Page Up from 245", start: 245, key: Qt.Key_PageUp, value: 255 },
            { tag: "Page Up by 10", start: 100, key: Qt.Key_PageUp, value: 110 },
            { tag: "Page Down clamps", start: 7, key: Qt.Key_PageDown, value: 0 },
            { tag: "Page Down from 10", start: 10, key: Qt.Key_PageDown, value: 0 },
            { tag: "Page Down by 10", start: 100, key: Qt.Key_PageDown, value: 90 },
            { tag: "Home", start: 3, key: Qt.Key_Home, value: 255 },
            { tag: "End", start: 200, key: Qt.Key_End, value: 0 }
        ]
    }

    // Nothing is patched at start, so every one of these runs on a disabled fader.
    function test_jumpKeys(data) {
        dmx_data[9].dimValue = data.start
        compare(part(9, "sizeSlider").enabled, false)
        pressKeys(9, [data.key])
        compare(dmx_data[9].dimValue, data.value)
        compare(strip(9).num_value, data.value)
    }

    function test_keysGoOnToTheParents() {
        var catcher = Qt.createQmlObject(
            'import QtQuick 2.10; Item { property var seen: []; '
            + 'Keys.onPressed: seen.push(event.key) }', win.contentItem)
        var s = strip(4)
        s.parent = catcher
        pressKeys(4, [Qt.Key_End, Qt.Key_PageUp, Qt.Key_1, Qt.Key_Enter])
        compare(catcher.seen, [Qt.Key_End, Qt.Key_PageUp, Qt.Key_1, Qt.Key_Enter])
        compare(dmx_data[4].dimValue, 1)
    }

    function test_patchEnablesFaders_data() {
        return [
            { tag: "nothing patched", types: [], patched: 0 },
            { tag: "15-channel fixture", types: [8], patched: 15 },
            { tag: "two fixtures", types: [8, 10], patched: 25 }
        ]
    }

    // The core's fixture list owns the column count; the strip follows it.
    function test_patchEnablesFaders(data) {
        for (var f = 0; f < data.types.length; ++f)
            verify(dmx_list.fixtures.add(data.types[f]))
        for (var i = 0; i < 30; ++i) {
            var patched = i < data.patched
            compare(part(i, "sizeSlider").enabled, patched, "fader " + i)
            compare(String(part(i, "dimNumber").color), patched ? "#ff0000" : "#4682b4",
                    "number " + i)
            compare(part(i, "dimNumber").text, String(i + 1))
        }
    }

    function test_numberClickTogglesByHand() {
        var number = part(20, "dimNumber")
        var slider = part(20, "sizeSlider")
        compare(slider.enabled, false)
        mouseClick(number)
        compare(slider.enabled, true)
        compare(strip(20).stripOpacity, 1)
        compare(String(number.color), "#ff0000")
        verify(slider.activeFocus)
        // The focused fader takes the arrows; the other keys still reach the strip.
        keyClick(Qt.Key_Up)
        compare(dmx_data[20].dimValue, 1)
        keyClick(Qt.Key_4)
        keyClick(Qt.Key_0)
        keyClick(Qt.Key_Enter)
        compare(dmx_data[20].dimValue, 40)
        // The hand setting no longer follows the patch.
        verify(dmx_list.fixtures.add(8))
        compare(slider.enabled, true)
        mouseClick(number)
        compare(slider.enabled, false)
        compare(strip(20).stripOpacity, 0.5)
        compare(String(number.color), "#4682b4")
        verify(dmx_list.fixtures.add(10))
        compare(slider.enabled, false)
        compare(String(number.color), "#4682b4")
        // Strips that were not touched still follow.
        compare(part(19, "sizeSlider").enabled, true)
    }

    function test_sliderDrawsTheLevel_data() {
        return [
            { tag: "bottom", level: 0 },
            { tag: "middle", level: 128 },
            { tag: "top", level: 255 }
        ]
    }

    // The fill grows from the bottom of the groove and the handle carries the value.
    function test_sliderDrawsTheLevel(data) {
        dmx_data[3].dimValue = data.level
        var slider = part(3, "sizeSlider")
        var groove = slider.background
        var fill = findChild(groove, "sliderFill")
        compare(slider.value, data.level)
        compare(part(3, "sliderNumber").text, String(data.level))
        fuzzyCompare(fill.height, groove.height * data.level / 255, 0.01)
        compare(fill.y + fill.height, groove.height)
        compare(groove.height, slider.availableHeight)
        var handle = slider.handle
        compare(handle.width, 28)
        compare(handle.radius, 14)
        fuzzyCompare(handle.y, slider.topPadding + (1 - data.level / 255) * (slider.availableHeight - 28), 0.01)
        fuzzyCompare(handle.x + handle.width / 2, groove.x + groove.width / 2, 0.01)
        // The fader stays within its strip so neighbours never take each other's clicks.
        verify(slider.width <= strip(3).width)
    }

    function test_handleColours() {
        verify(dmx_list.fixtures.add(8))
        dmx_data[3].dimValue = 128
        var slider = part(3, "sizeSlider")
        var handle = slider.handle
        var label = part(3, "sliderNumber")
        var x = handle.x + handle.width / 2
        var y = handle.y + handle.height / 2
        compare(String(handle.color), "#f5f5f6")
        compare(String(handle.border.color), "#cbcbcb")
        compare(String(label.color), "#373737")
        mouseMove(slider, x, y)
        compare(String(handle.color), String(Qt.darker("#ec4141", 1.2)))
        compare(String(handle.border.color), String(Qt.darker("#ec4141", 1.2)))
        compare(String(label.color), "#212121")
        mousePress(slider, x, y)
        compare(String(handle.color), String(Qt.darker("#ec4141", 1.4)))
        mouseRelease(slider, x, y)
        mouseMove(slider, x, slider.height - 2)
        mouseMove(strip(10), 5, 5)
        compare(String(handle.color), "#f5f5f6")
        compare(String(label.color), "#373737")
    }

    function test_wheelStepsByOne() {
        verify(dmx_list.fixtures.add(8))
        stoppedOnRow(0)
        dmx_data[5].dimValue = 100
        var slider = part(5, "sizeSlider")
        mouseWheel(slider, slider.width / 2, slider.height / 2, 0, 120)
        compare(dmx_data[5].dimValue, 101)
        compare(coreProbe.cell(0, 5 + 3), 101)
        mouseWheel(slider, slider.width / 2, slider.height / 2, 0, -240)
        compare(dmx_data[5].dimValue, 99)
    }

    function test_enableBoxFollowsAnnouncedFlag() {
        var box = part(3, "changeEnableFlag")
        compare(box.checked, false)
        coreProbe.announceDimEn(3, 1)
        compare(box.checked, true)
        mouseClick(box)
        compare(dmx_data[3].dimEn, 0)
        compare(box.checked, false)
        // A load after the click is still shown.
        coreProbe.announceDimEn(3, 1)
        compare(box.checked, true)
        coreProbe.announceDimEn(3, 0)
        compare(box.checked, false)
    }

    function test_linkageBoxWritesFlag() {
        var box = part(5, "linkage_Flag")
        compare(box.checked, false)
        mouseClick(box)
        compare(dmx_data[5].dimLinkage, 1)
        compare(box.checked, true)
        mouseClick(box)
        compare(dmx_data[5].dimLinkage, 0)
        compare(box.checked, false)
    }

    function test_dragWritesRowAndSendsFrame() {
        verify(dmx_list.fixtures.add(8))
        stoppedOnRow(1)
        dmx_data[1].dimLinkage = 1
        dmx_data[4].dimLinkage = 1
        var sends = coreProbe.sendCount()
        var slider = dragFader(4)
        var level = coreProbe.level(4)
        verify(level > 150 && level < 230, "level " + level)
        compare(slider.value, level)
        compare(part(4, "sliderNumber").text, String(level))
        compare(coreProbe.cell(1, 4 + 3), level)
        compare(coreProbe.runFlag(4), false)
        // The linked lower channel follows, the unlinked one and the other rows do not.
        compare(coreProbe.cell(1, 1 + 3), level)
        compare(coreProbe.level(1), level)
        compare(part(1, "sizeSlider").value, level)
        compare(coreProbe.cell(1, 2 + 3), 0)
        compare(coreProbe.cell(0, 4 + 3), 0)
        compare(coreProbe.cell(2, 4 + 3), 0)
        verify(coreProbe.sendCount() > sends)
        compare(coreProbe.frameSlot(4), level)
        compare(coreProbe.frameSlot(1), level)
    }

    // A single click on the groove is one level change: one cell write, one view reset.
    function test_clickResetsTableOnce() {
        verify(dmx_list.fixtures.add(8))
        stoppedOnRow(0)
        var slider = part(7, "sizeSlider")
        resetSpy.clear()
        var sends = coreProbe.sendCount()
        mouseClick(slider, slider.width / 2, slider.height / 2)
        var level = coreProbe.level(7)
        verify(level > 100 && level < 160, "level " + level)
        compare(coreProbe.cell(0, 7 + 3), level)
        compare(resetSpy.count, 1)
        compare(coreProbe.sendCount(), sends + 1)
        compare(coreProbe.frameSlot(7), level)
    }

    // Nothing plays at start: a fader moves the level and writes it into the red row.
    function test_dragAtStartWritesEditRow() {
        verify(dmx_list.fixtures.add(8))
        coreProbe.appendRows(2, 0, 0, 0)
        dmx_list.dmxRowToDim(0)
        compare(item("text_control").runFlag, false)
        dragFader(2)
        verify(coreProbe.level(2) > 0)
        compare(coreProbe.runFlag(2), false)
        compare(coreProbe.cell(0, 2 + 3), coreProbe.level(2))
        compare(coreProbe.cell(1, 2 + 3), 0)
    }

    function test_knobKeepsValueUntilDragged_data() {
        return [ { tag: "bottom, top edge", level: 0, dy: -12, drag: -20 },
                 { tag: "middle, top edge", level: 128, dy: -12, drag: 20 },
                 { tag: "top, bottom edge", level: 255, dy: 12, drag: 20 } ]
    }

    // A click on the knob only focuses the fader; a drag moves it by the distance dragged.
    function test_knobKeepsValueUntilDragged(data) {
        verify(dmx_list.fixtures.add(8))
        stoppedOnRow(0)
        dmx_data[6].dimValue = data.level
        var slider = part(6, "sizeSlider")
        var x = slider.handle.x + 14, y = slider.handle.y + 14 + data.dy
        var sends = coreProbe.sendCount()
        mouseMove(slider, x, y)
        mouseClick(slider, x, y)
        verify(slider.activeFocus)
        compare(coreProbe.cell(0, 6 + 3), data.level)
        compare(coreProbe.sendCount(), sends)
        mousePress(slider, x, y)
        mouseMove(slider, x, y + data.drag / 2)
        mouseRelease(slider, x, y + data.drag)
        fuzzyCompare(dmx_data[6].dimValue, data.level - data.drag * 255 / (slider.availableHeight - 28), 1)
    }

    // Removing a fixture gives its faders back to the unpatched state.
    function test_deleteFixtureReleasesItsFaders() {
        item("ch_type").currentIndex = 8
        mouseClick(item("addLight"))
        mouseClick(item("addLight"))
        mouseClick(item("deleteLight"))
        compare(part(14, "sizeSlider").enabled, true)
        compare(part(15, "sizeSlider").enabled, false)
        compare(String(part(15, "dimNumber").color), "#4682b4")
        mouseClick(item("deleteLight"))
        compare(part(0, "sizeSlider").enabled, false)
    }

    function test_checkBoxTooltips_data() {
        return [ { tag: "link", box: "linkage_Flag", words: "联动", index: 2 },
                 { tag: "snap, list's end", box: "changeEnableFlag", words: "跳变", index: 30 } ]
    }

    // Resting on a check box says what it does, inside the fader list.
    function test_checkBoxTooltips(data) {
        var box = part(data.index, data.box), tip = part(data.index, "checkBoxTip")
        mouseMove(box, box.width / 2, box.height / 2)
        tryCompare(tip, "visible", true, 2000)
        compare(part(data.index, "checkBoxTipText").text.indexOf(data.words), 0)
        var at = tip.mapToItem(item("dimChannel"), 0, 0)
        verify(at.x >= 0 && at.x + tip.width <= item("dimChannel").width, at.x)
    }

    function test_playbackNeverWritesBack() {
        verify(dmx_list.fixtures.add(8))
        coreProbe.appendRows(1, 0, 5, 100)
        coreProbe.appendRows(1, 0, 5, 200)
        var table = item("dmxList")
        table.clicked(0)
        table.doubleClicked(1)
        var seen = {}
        var slider = part(3, "sizeSlider")
        function record() { seen[slider.value] = true }
        slider.valueChanged.connect(record)
        item("text_control").startRun()
        tryVerify(function() { return Object.keys(seen).length >= 6 }, 5000,
                  "the fader follows the fade")
        item("text_control").stopRun()
        slider.valueChanged.disconnect(record)
        // The window hears of the last levels after the stop.
        tryCompare(slider, "value", coreProbe.level(3), 5000)
        for (var ch = 0; ch < 20; ++ch) {
            compare(coreProbe.cell(0, ch + 3), 100, "row 0 channel " + ch)
            compare(coreProbe.cell(1, ch + 3), 200, "row 1 channel " + ch)
        }
    }
}
