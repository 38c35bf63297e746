import QtQuick 2.10
import QtTest 1.2
import QtQuick.Controls 2.15

WindowTestCase {
    name: "MainWindow"

    function test_startState() {
        compare(win.title, "Divezuveror DMX512 测试用")
        compare(win.width, 1000)
        compare(win.height, 800)
        compare(win.posCount, 3)
        compare(win.light_number, 0)
        compare(win.playStart, 0)
        compare(win.playEnd, -1)
        compare(win.indexDown, 0)
        // Nothing plays, and the panel says so.
        compare(item("statusText").text, "已停止")
        compare(coreProbe.playing(), false)
        compare(item("statusValue").text, "")
        compare(item("statesText").text, "")
        compare(item("text_control").runFlag, false)
        win.c_file_name = "file:///tmp/show.dmx"
        compare(win.title, "show.dmx — Divezuveror DMX512 测试用")
    }

    // One typed object names what the context names name.
    function test_oneRootObject() {
        compare(app.model, dmx_list)
        compare(app.output, dmx)
        compare(app.files, file_flow)
        compare(app.recovery, recovery)
        compare(app.values, value_entry)
        compare(app.remote, remote)
        compare(app.sync, sync)
    }

    function test_fixtureTypeLabels() {
        var chooser = item("ch_type")
        compare(chooser.count, 27)
        compare(chooser.currentIndex, 0)
        compare(chooser.textAt(0), "Type 01 (33ch)")
        compare(chooser.textAt(2), "Type 03 (20ch, 6ch)")
        compare(chooser.textAt(11), "Type 12 (10ch)")
        compare(chooser.textAt(14), "Type 15 (22ch)")
        compare(chooser.textAt(15), "Type 16")
        compare(chooser.textAt(26), "Type 27 (24ch)")
    }

    function test_fixtureCountStaysWithinLimits() {
        // The smallest type keeps 30 fixtures inside the 512 channels.
        item("ch_type").currentIndex = 12
        var add = item("addLight")
        var remove = item("deleteLight")
        for (var i = 0; i < 30; ++i)
            mouseClick(add)
        compare(win.light_number, 30)
        var columns = win.posCount
        mouseClick(add)
        compare(win.light_number, 30)
        compare(win.posCount, columns)
        for (i = 0; i < 30; ++i)
            mouseClick(remove)
        compare(win.light_number, 0)
        mouseClick(remove)
        compare(win.light_number, 0)
    }

    // Clicks at one place keep hitting "添加灯具" however long the strip of fixtures grows.
    function test_fixtureBarKeepsItsPlace() {
        var names = ["deleteLight", "addLight", "ch_type", "lightNumber"]
        function places() {
            return names.map(function(name) { return item(name).mapToItem(win.contentItem, 0, 0).x })
        }
        var before = places()
        var add = item("addLight")
        var point = add.mapToItem(win.contentItem, add.width / 2, add.height / 2)
        // The strip hears of the patch once per pass of the event loop, as between real clicks.
        for (var i = 0; i < 12; ++i) {
            mouseClick(win.contentItem, point.x, point.y)
            wait(0)
        }
        compare(win.light_number, 12)
        compare(places(), before)
        verify(item("light_fix_select").width > 0)
    }

    // A message longer than the room left ends in an ellipsis; the pointer shows it whole.
    function test_longStatusIsCutAndShownOnHover() {
        var label = item("statesText")
        var message = "无法打开 /" + "一个很长的文件夹名/".repeat(30) + "show.dmx：No such file or directory"
        dmx_list.statusMessage = message
        waitForRendering(label)
        verify(label.truncated)
        verify(label.mapToItem(null, label.width, 0).x <= win.width + 0.5, "inside the window")
        mouseMove(label, 10, label.height / 2)
        tryVerify(function() { return label.ToolTip.visible }, 2000, "tooltip shown")
        compare(label.ToolTip.text, message)
    }

    function test_clicksSetTheRange_data() {
        return [
            { tag: "forward", start: 2, end: 7, low: "2", high: "7" },
            { tag: "backward", start: 7, end: 3, low: "3", high: "7" },
            { tag: "one row", start: 4, end: 4, low: "4", high: "4" }
        ]
    }

    function test_clicksSetTheRange(data) {
        coreProbe.appendRows(10, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(data.start)
        compare(win.playStart, data.start)
        compare(item("statusValue").text, String(data.start))
        compare(item("text_control").runFlag, false)
        table.doubleClicked(data.end)
        compare(win.playEnd, data.end)
        compare(coreProbe.playEnd(), data.end)
        // The edit row stays where the click put it.
        compare(item("statusValue").text, String(data.start))
        compare(item("statusMinValue").text, data.low)
        compare(item("statusMaxValue").text, data.high)
        compare(item("statusText").text, "已停止")
    }

    function test_tableKeys() {
        var table = item("dmxList")
        table.forceActiveFocus()
        var panel = item("text_control")
        coreProbe.appendRows(3, 0, 0, 0)
        compare(panel.runFlag, false)
        keyClick(Qt.Key_Space)
        compare(panel.runFlag, true)
        compare(item("statusText").text, "播放中…")
        keyClick(Qt.Key_Space)
        compare(panel.runFlag, false)
        compare(item("statusText").text, "已停止")
        keyClick(Qt.Key_Space)
        compare(panel.runFlag, true)
        keyClick(Qt.Key_Escape)
        compare(panel.runFlag, false)
    }

    function test_numberInputKeys_data() {
        return [
            { tag: "fade clamped", input: "textInput_fade", typed: "300", key: Qt.Key_Enter, result: "255" },
            { tag: "fade in range", input: "textInput_fade", typed: "120", key: Qt.Key_Enter, result: "120" },
            { tag: "speed keeps 300", input: "textInput_speed", typed: "300", key: Qt.Key_Enter, result: "300" },
            { tag: "speed refuses 12000", input: "textInput_speed", typed: "12000", key: Qt.Key_Enter, result: "1200" },
            { tag: "Return clamps too", input: "textInput_fade", typed: "300", key: Qt.Key_Return, result: "255" },
            { tag: "Delete clears", input: "textInput_speed", typed: "45", key: Qt.Key_Delete, result: "" }
        ]
    }

    function test_numberInputKeys(data) {
        var input = item(data.input)
        typeInto(input, data.typed)
        keyClick(data.key)
        compare(input.text, data.result)
    }

    function test_rowFollow_data() {
        return [
            { tag: "middle", start: 2, end: 6, row: 4, down: 0.5 },
            { tag: "middle reversed", start: 6, end: 2, row: 5, down: 0.75 },
            { tag: "range start", start: 2, end: 6, row: 2, down: 0 },
            { tag: "range end", start: 2, end: 6, row: 6, down: 1 },
            { tag: "before range", start: 2, end: 6, row: 0, down: 0 },
            { tag: "after range", start: 2, end: 6, row: 9, down: 1 },
            { tag: "one-row range on its row", start: 3, end: 3, row: 3, down: 1 },
            { tag: "one-row range elsewhere", start: 3, end: 3, row: 5, down: 0 }
        ]
    }

    // The core announces the row; the window must follow it whatever moved it.
    function test_rowFollow(data) {
        coreProbe.appendRows(10, 0, 0, 0)
        coreProbe.moveTo(data.row, data.start, data.end)
        compare(win.indexDown, data.down)
        compare(item("statusValue").text, String(data.row))
        var table = item("dmxList")
        compare(table.selection.count, 1)
        verify(table.selection.contains(data.row))
        var fill = item("progressFill")
        var panelWidth = fill.parent.width
        verify(panelWidth > 4)
        fuzzyCompare(fill.width, data.down * (panelWidth - 4), 0.5)
    }

    function test_rowFollowWithoutRow() {
        var table = item("dmxList")
        coreProbe.appendRows(3, 0, 0, 0)
        coreProbe.moveTo(1, 0, 2)
        compare(table.selection.count, 1)
        coreProbe.moveTo(-1, 0, 2)
        compare(table.selection.count, 0)
        compare(win.indexDown, 0)
    }

    function test_progressBarCountsRowsButDrawsRange() {
        coreProbe.appendRows(8, 0, 0, 0)
        var bar = item("statusBar")
        compare(bar.maximumValue, 8)
        compare(bar.value, dmx_list.currentRow + 1)
    }
}
