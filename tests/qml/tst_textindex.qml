import QtQuick 2.10
import QtTest 1.2

WindowTestCase {
    name: "ControlPanel"

    function panel() {
        return item("text_control")
    }

    function fileUrl(name) {
        return "file://" + coreProbe.tempPath() + "/" + name
    }

    function test_startState() {
        compare(panel().runFlag, false)
        compare(dmx_list.wholeTable, false)
        compare(item("sendDmxBottom").text, "播放")
        compare(item("sendDmxBottom").checked, false)
        compare(item("dmxOutputBottom").text, "DMX关闭")
        compare(item("playAllData").text, "全选")
        compare(item("textInput1").text, "0")
        compare(item("textInput2").text, "255")
        compare(item("textInput3").text, "1")
        compare(item("between_value").value, 1)
        var dialog = item("fileChooser").dialog()
        compare(dialog.nameFilters, ["Dmx-c files (*.c )", "Dmx files (*.dmx )"])
        compare(dialog.useForSave, false)
    }

    // The right group runs leftwards from the panel's right edge, without gaps.
    function test_rightGroupOrder() {
        var order = ["between_value", "saveData", "openData", "moveUp", "moveDown", "addData",
                     "delData", "frushData", "playAllData", "sendDmxBottom", "dmxOutputBottom",
                     "outputState", "repeat_text"]
        var right = panel().width
        for (var i = 0; i < order.length; ++i) {
            var element = item(order[i])
            fuzzyCompare(element.x + element.width, right, 0.5, order[i])
            right = element.x
        }
        verify(item("text0").x < item("text1").x)
        verify(item("textInput3").x + item("textInput3").width <= right)
    }

    function test_buttonsAreNotReachedByTab() {
        var buttons = ["saveData", "openData", "moveUp", "moveDown", "addData", "delData",
                       "frushData", "playAllData", "sendDmxBottom", "dmxOutputBottom"]
        for (var i = 0; i < buttons.length; ++i)
            compare(item(buttons[i]).activeFocusOnTab, false, buttons[i])
    }

    function test_playButtonSwitchesRunState() {
        coreProbe.appendRows(2, 0, 0, 0)
        var play = item("sendDmxBottom")
        mouseClick(play)
        compare(play.text, "停止")
        compare(play.checked, true)
        compare(panel().runFlag, true)
        compare(item("statusText").text, "播放中…")
        mouseClick(play)
        compare(play.text, "播放")
        compare(play.checked, false)
        compare(panel().runFlag, false)
        compare(item("statusText").text, "已停止")
        // The button follows playback stopped elsewhere too.
        mouseClick(play)
        panel().stopRun()
        compare(play.checked, false)
        compare(play.text, "播放")
        // Stopping always turns live sending back on, even on an empty table.
        compare(coreProbe.sendLive(), true)
    }

    function test_outputButtonNamesTheState() {
        var output = item("dmxOutputBottom")
        mouseClick(output)
        compare(output.text, "DMX输出")
        compare(coreProbe.outputEnabled(), true)
        mouseClick(output)
        compare(output.text, "DMX关闭")
        compare(coreProbe.outputEnabled(), false)
    }

    function test_outputStateShown_data() {
        return [ { tag: "no daemon", state: 1, text: "olad未运行", colour: "#ff0000" },
                 { tag: "connected", state: 2, text: "olad已连接", colour: "#008000" },
                 { tag: "no output port", state: 3, text: "无输出端口", colour: "#ff8c00" },
                 { tag: "stalled", state: 4, text: "olad无响应", colour: "#ff0000" } ]
    }

    // Shown beside the output button within a second of a change; not asked while off.
    function test_outputStateShown(data) {
        var label = item("outputState")
        mouseClick(item("dmxOutputBottom"))
        coreProbe.setOutputState(data.state)
        tryCompare(label, "text", data.text, 5000)
        compare(String(label.color), data.colour)
        mouseClick(item("dmxOutputBottom"))
        compare(label.text, "")
        var calls = coreProbe.outputStateCalls()
        verify(!item("outputStatePoll").running)
        compare(coreProbe.outputStateCalls(), calls)
    }

    function test_selectAllTwiceRestoresRange_data() {
        return [
            { tag: "plain", clickedRow: -1 },
            { tag: "row clicked in between", clickedRow: 5 }
        ]
    }

    function test_selectAllTwiceRestoresRange(data) {
        coreProbe.appendRows(10, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(6)
        table.doubleClicked(2)
        var selectAll = item("playAllData")
        mouseClick(selectAll)
        compare(selectAll.text, "选择")
        compare(win.playStart, 0)
        compare(win.playEnd, 9)
        compare(coreProbe.playEnd(), 9)
        if (data.clickedRow >= 0) {
            table.clicked(data.clickedRow)
            compare(win.playStart, data.clickedRow)
        }
        mouseClick(selectAll)
        compare(selectAll.text, "全选")
        compare(win.playStart, 6)
        compare(win.playEnd, 2)
        compare(coreProbe.playEnd(), 2)
    }

    function test_selectAllOnEmptyTableStaysInside() {
        mouseClick(item("playAllData"))
        compare(win.playStart, 0)
        compare(win.playEnd, 0)
        compare(coreProbe.playEnd(), 0)
    }

    function test_deleteStopsPlayback() {
        coreProbe.appendRows(4, 0, 0, 0)
        panel().startRun()
        mouseClick(item("delData"))
        compare(item("sendDmxBottom").text, "播放")
        compare(panel().runFlag, false)
        compare(item("statusText").text, "已停止")
    }

    function test_levelInputEnter_data() {
        return [
            { tag: "START clamped", input: "textInput1", typed: "300", text: "255", level: 255 },
            { tag: "START in range", input: "textInput1", typed: "40", text: "40", level: 40 },
            { tag: "END clamped", input: "textInput2", typed: "256", text: "255", level: 255 },
            { tag: "END zero", input: "textInput2", typed: "0", text: "0", level: 0 }
        ]
    }

    function test_levelInputEnter(data) {
        dmx.setAllDmxValue(9)
        var input = item(data.input)
        typeInto(input, data.typed)
        keyClick(Qt.Key_Enter)
        compare(input.text, data.text)
        verify(coreProbe.allLevelsAre(data.level))
        compare(panel().runFlag, false)
    }

    function test_inputReturnAndDelete() {
        dmx.setAllDmxValue(9)
        var input = item("textInput1")
        typeInto(input, "300")
        keyClick(Qt.Key_Return)
        compare(input.text, "300")
        verify(coreProbe.allLevelsAre(9))
        keyClick(Qt.Key_Delete)
        compare(input.text, "")
    }

    function firstVisibleFader() {
        var strip = item("dimChannel")
        return strip.indexAt(strip.contentX + 1, 1)
    }

    function test_channelEnterClampsAndScrolls() {
        var input = item("textInput3")
        typeInto(input, "600")
        keyClick(Qt.Key_Enter)
        compare(input.text, "512")
        var strip = item("dimChannel")
        var last = strip.itemAtIndex(511)
        verify(last, "last fader created")
        verify(last.x >= strip.contentX - 0.5)
        verify(last.x + last.width <= strip.contentX + strip.width + 0.5)
        typeInto(input, "40")
        keyClick(Qt.Key_Enter)
        compare(firstVisibleFader(), 39)
    }

    function test_shortcutTextsTurnRedWhilePressed_data() {
        return [
            { tag: "Init", name: "text0" },
            { tag: "START", name: "text1" },
            { tag: "END", name: "text2" },
            { tag: "CHANNEL", name: "text3" }
        ]
    }

    function test_shortcutTextsTurnRedWhilePressed(data) {
        var text = item(data.name)
        verify(Qt.colorEqual(text.color, "steelblue"))
        mousePress(text)
        verify(Qt.colorEqual(text.color, "red"))
        mouseRelease(text)
        verify(Qt.colorEqual(text.color, "steelblue"))
    }

    function test_channelTextScrolls() {
        item("textInput3").text = "100"
        mouseClick(item("text3"))
        compare(firstVisibleFader(), 99)
    }

    function test_initLoadsDefaultScene() {
        mouseClick(item("text0"))
        compare(coreProbe.level(0), 255)
        compare(coreProbe.level(2), 200)
        compare(coreProbe.level(16), 128)
        compare(coreProbe.level(1), 0)
    }

    function test_startTextWhilePlayingStops() {
        coreProbe.appendRows(2, 0, 0, 0)
        panel().startRun()
        compare(coreProbe.playing(), true)
        item("textInput1").text = "17"
        mouseClick(item("text1"))
        compare(panel().runFlag, false)
        compare(coreProbe.playing(), false)
        compare(item("sendDmxBottom").text, "播放")
        verify(coreProbe.allLevelsAre(17))
    }

    function test_repeatCountReachingZero_data() {
        return [
            { tag: "zero while playing", repeat: 0, playing: true, stops: true },
            { tag: "zero while stopped", repeat: 0, playing: false, stops: true },
            { tag: "other value", repeat: 3, playing: true, stops: false }
        ]
    }

    function test_repeatCountReachingZero(data) {
        coreProbe.appendRows(3, 0, 0, 0)
        mouseClick(item("dmxOutputBottom"))
        if (data.playing)
            panel().startRun()
        else
            panel().stopRun()
        dmx_list.repeat = data.repeat
        dmx_list.repeatChanged(data.repeat)
        compare(item("repeat_text").value, data.repeat)
        compare(item("dmxOutputBottom").text, data.stops ? "DMX关闭" : "DMX输出")
        compare(coreProbe.outputEnabled(), !data.stops)
        compare(item("sendDmxBottom").text, data.playing && !data.stops ? "停止" : "播放")
    }

    function test_repeatSpinBoxWritesCount() {
        var spin = item("repeat_text")
        spin.value = 12
        spin.editingFinished()
        compare(dmx_list.repeat, 12)
    }

    function test_refreshShowsCurrentRow() {
        coreProbe.appendRows(3, 0, 0, 0)
        mouseClick(item("frushData"))
        compare(item("statusValue").text, "")
        item("dmxList").clicked(1)
        mouseClick(item("frushData"))
        compare(item("statusValue").text, String(dmx_list.currentRow))
        compare(dmx_list.currentRow, 1)
    }

    function test_saveButtonSetsStepAndOpensDialog() {
        item("between_value").value = 4
        mouseClick(item("saveData"))
        compare(coreProbe.between(), 4)
        var dialog = item("fileDialog")
        compare(dialog.useForSave, true)
        compare(dialog.title, "保存演出 (.dmx) 或导出 C 源文件 (.c)")
        compare(dialog.selectedNameFilter, "Dmx files (*.dmx )")
        compare(dialog.selectExisting, false)
        compare(dialog.selectMultiple, false)
        dialog.close()
    }

    function test_openButtonStopsAndOpensDialog() {
        mouseClick(item("openData"))
        var dialog = item("fileDialog")
        compare(dialog.useForSave, false)
        compare(dialog.title, "打开演出 (.dmx) 或导入 C 源文件 (.c)")
        compare(dialog.selectExisting, true)
        compare(dialog.selectMultiple, true)
        compare(panel().runFlag, false)
        dialog.close()
    }

    function test_keysComeBackAfterADialog_data() {
        return [ { tag: "file dialog", name: "fileChooser" },
                 { tag: "replace question", name: "replaceQuestion" },
                 { tag: "close question", name: "closeQuestion" },
                 { tag: "column information", name: "columnInformation" } ]
    }

    function test_keysComeBackAfterADialog(data) {
        item("textInput_speed").forceActiveFocus()
        var dialog = item(data.name).dialog()
        dialog.open()
        dialog.close()
        tryVerify(function() { return item("dmxList").activeFocus }, 2000, "the table has the keys")
        verify(win.active)
    }

    function test_saveFailureIsShown() {
        win.c_file_name = "file:///earlier.dmx"
        var url = "file://" + coreProbe.tempPath() + "/missing/dir/show.dmx"
        compare(panel().saveAccepted(url, "Dmx files (*.dmx )"), false)
        compare(item("statesText").text, "无法保存：" + coreProbe.tempPath()
                + "/missing/dir/show.dmx: No such file or directory")
        compare(win.c_file_name, "file:///earlier.dmx")
    }

    function test_openSetsPlayEndAndKeepsStart() {
        coreProbe.appendRows(6, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(2)
        table.doubleClicked(3)
        var url = fileUrl("absent.dmx")
        verify(!panel().openAccepted(url))
        compare(win.playStart, 2)
        compare(win.playEnd, 3)
        compare(win.c_index, 0)
        compare(item("statesText").text, "无法打开 absent.dmx：No such file or directory")
        compare(win.c_file_name, "")
        compare(win.title, "Divezuveror DMX512 测试用")

        verify(panel().saveAccepted(url, "Dmx files (*.dmx )"))
        verify(panel().openAccepted(url))
        compare(win.playStart, 2)
        compare(win.playEnd, 11)
        compare(item("statesText").text, "已打开 absent.dmx")
        compare(win.c_file_name, url)
    }
}
