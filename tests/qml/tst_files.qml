import QtQuick 2.10
import QtTest 1.2

// The panel's save and open handlers with the real file service and real files.
WindowTestCase {
    name: "ControlPanelFiles"

    function panel() {
        return item("text_control")
    }

    function fileUrl(name) {
        return "file://" + coreProbe.tempPath() + "/" + name
    }

    function test_saveExportsTheOrderedRange() {
        coreProbe.appendRows(10, 0, 0, 0)
        var table = item("dmxList")
        table.clicked(7)
        table.doubleClicked(3)
        var url = fileUrl("range.c")
        verify(panel().saveAccepted(url, "Dmx-c files (*.c )"))
        compare(item("statesText").text, "已导出 range.c")
        compare(win.c_file_name, url)
        var text = coreProbe.readFile(coreProbe.tempPath() + "/range.c")
        for (var r = 3; r <= 7; ++r)
            verify(text.indexOf("    //" + r + "-" + (r - 3) + "\n") >= 0, "record of row " + r)
        verify(text.indexOf("    //2-") < 0)
        verify(text.indexOf("    //8-") < 0)
    }

    function test_saveThenOpenAppendsRows() {
        coreProbe.appendRows(4, 5, 6, 9)
        verify(panel().addFixture(7))
        var url = fileUrl("show.dmx")
        verify(panel().saveAccepted(url, "Dmx files (*.dmx )"))
        compare(win.c_index, 18)
        compare(item("statesText").text, "已保存 show.dmx")

        var table = item("dmxList")
        table.clicked(1)
        table.doubleClicked(2)
        panel().openAccepted(url)
        compare(coreProbe.rowCount(), 8)
        // Every channel holds a level, so the save kept all 512, not only the fixture's 18.
        compare(win.c_index, 512)
        compare(win.playStart, 1)
        compare(win.playEnd, 7)
        compare(coreProbe.playEnd(), 7)
        compare(item("statesText").text, "已打开 show.dmx；文件中的灯具未添加：表格保留自己的灯具")
        compare(win.c_file_name, url)
        compare(coreProbe.cell(6, 0), 6)
        compare(coreProbe.cell(6, 1), 5)
        compare(coreProbe.cell(6, 2), 6)
        compare(coreProbe.cell(6, 3), 9)
    }

    function path(name) {
        return coreProbe.tempPath() + "/" + name
    }

    // Saves the show under a new name and returns the file's bytes as hex.
    property int saves: 0
    function savedBytes() {
        var name = "snap" + (++saves) + ".dmx"
        verify(panel().saveAccepted(fileUrl(name), "Dmx files (*.dmx )"), item("statesText").text)
        return coreProbe.fileHex(path(name))
    }

    function ctrlKey(key, shift) {
        win.requestActivate()
        keyClick(key, shift ? Qt.ControlModifier | Qt.ShiftModifier : Qt.ControlModifier)
    }

    function hex(value, bytes) {
        var text = ""
        for (var i = bytes - 1; i >= 0; --i) {
            var b = Math.floor(value / Math.pow(256, i)) % 256
            text += (b < 16 ? "0" : "") + b.toString(16)
        }
        return text
    }

    // A show as another writer of the format would put it together: header, flags, rows.
    function foreignShow(channels, rows) {
        var text = "5158" + hex(0, 8) + "444d58353132" + hex(0, 4) + "01" + hex(channels, 4)
                   + hex(rows, 4)
        for (var c = 0; c < channels; ++c)
            text += c % 3 === 0 ? "01" : "00"
        for (var r = 0; r < rows; ++r) {
            text += hex(r + 1, 2) + hex(2 * r, 2)
            for (c = 0; c < channels; ++c)
                text += hex((c * 7 + r) % 256, 1)
        }
        return text
    }

    function test_openThenSaveIsByteIdentical_data() {
        return [
            { tag: "show of this program with fixtures", fixtures: [0, 7], foreign: false },
            { tag: "show of another writer, 38 channels", fixtures: [], foreign: true }
        ]
    }

    function test_openThenSaveIsByteIdentical(data) {
        var original = path("original.dmx")
        if (data.foreign) {
            verify(coreProbe.writeHex(original, foreignShow(38, 4)))
        } else {
            coreProbe.appendRows(4, 5, 6, 9)
            for (var i = 0; i < data.fixtures.length; ++i)
                verify(panel().addFixture(data.fixtures[i], true))
            verify(panel().saveAccepted(fileUrl("original.dmx"), "Dmx files (*.dmx )"))
        }
        destroyWindow()
        createWindow() // the program just started

        verify(panel().openAccepted(fileUrl("original.dmx")))
        compare(win.light_number, data.fixtures.length)
        compare(win.title, "original.dmx — Divezuveror DMX512 测试用")
        verify(panel().saveAccepted(fileUrl("copy.dmx"), "Dmx files (*.dmx )"))
        compare(coreProbe.fileHex(path("copy.dmx")), coreProbe.fileHex(original))
    }

    function test_fixturesOfTheFile_data() {
        return [
            { tag: "empty table: restored", before: 0, after: 2, note: "" },
            { tag: "table with fixtures: kept", before: 1, after: 1,
              note: "；文件中的灯具未添加：表格保留自己的灯具" }
        ]
    }

    function test_fixturesOfTheFile(data) {
        coreProbe.appendRows(2, 1, 1, 1)
        panel().addFixture(0, true)
        panel().addFixture(7, true)
        verify(panel().saveAccepted(fileUrl("fix.dmx"), "Dmx files (*.dmx )"))
        destroyWindow()
        createWindow()
        for (var i = 0; i < data.before; ++i)
            mouseClick(item("addLight"))
        verify(panel().openAccepted(fileUrl("fix.dmx")))
        compare(win.light_number, data.after)
        compare(item("statesText").text, "已打开 fix.dmx" + data.note)
        if (data.before === 0)
            compare(win.posCount, 3 + 33 + 18)
    }

    function test_refusedOpenSaysWhy_data() {
        return [
            { tag: "damaged show", name: "show1.dmx", bytes: foreignShow(38, 4).slice(0, 200),
              text: "无法打开 show1.dmx：damaged, shorter than its counts" },
        ]
    }

    function test_refusedOpenSaysWhy(data) {
        coreProbe.appendRows(3, 1, 1, 1)
        verify(coreProbe.writeHex(path(data.name), data.bytes))
        verify(!panel().openAccepted(fileUrl(data.name)))
        var label = item("statesText")
        compare(label.text, data.text)
        waitForRendering(label)
        verify(label.width >= label.implicitWidth && label.x + label.width <= label.parent.width,
               "the whole reason is shown")
        compare(coreProbe.rowCount(), 3)
        compare(win.title, "*Divezuveror DMX512 测试用".slice(1))
    }

    function test_replaceQuestion_data() {
        return [
            { tag: "replace", answer: true },
            { tag: "keep", answer: false }
        ]
    }

    function test_replaceQuestion(data) {
        verify(coreProbe.writeHex(path("show1.dmx"), "6f6c64"))
        coreProbe.appendRows(2, 1, 1, 1)
        verify(!panel().saveAccepted(fileUrl("show1"), "Dmx files (*.dmx )"))
        var dialog = findChild(panel(), "replaceDialog")
        verify(dialog.visible)
        compare(dialog.text, "“show1.dmx” 已存在。要替换它吗？")
        compare(coreProbe.fileHex(path("show1.dmx")), "6f6c64")
        compare(panel().answerReplace(data.answer), data.answer)
        compare(coreProbe.fileHex(path("show1.dmx")) === "6f6c64", !data.answer)
        compare(win.c_file_name, data.answer ? fileUrl("show1.dmx") : "")
    }

    function test_closeQuestion_data() {
        return [
            { tag: "cancel", answer: "cancel", closed: false, saved: false },
            { tag: "discard", answer: "discard", closed: true, saved: false },
            { tag: "save", answer: "save", closed: true, saved: true }
        ]
    }

    function test_closeQuestion(data) {
        coreProbe.appendRows(2, 1, 1, 1)
        verify(panel().saveAccepted(fileUrl("show1.dmx"), "Dmx files (*.dmx )"))
        var saved = coreProbe.fileHex(path("show1.dmx"))
        win.close()
        verify(!item("closeQuestion").dialog().visible, "a clean window closes at once")
        win.visible = true
        // The shortcut reaches only the active window, which a loaded machine shows late.
        win.requestActivate()
        tryVerify(function() { return win.active }, 5000, "window active")
        dmx_list.setDmxData(200, 1, 1) // a speed: the show has no channel columns
        compare(win.title, "*show1.dmx — Divezuveror DMX512 测试用")
        ctrlKey(Qt.Key_Q)
        verify(findChild(panel(), "closeDialog").visible)
        verify(win.visible)
        panel().answerClose(data.answer)
        compare(win.visible, !data.closed)
        compare(coreProbe.fileHex(path("show1.dmx")) !== saved, data.saved)
    }

    // Each kind of change is undone and redone back to byte-identical saves.
    function test_undoRedo_data() {
        return [
            { tag: "cell edit", change: function() { dmx_list.setDmxData(77, 6, 2) } },
            { tag: "START", change: function() { mouseClick(item("text1")) } },
            { tag: "Init", change: function() { mouseClick(item("text0")) } },
            { tag: "insert", change: function() { mouseClick(item("addData")) } },
            { tag: "delete", change: function() { mouseClick(item("delData")) } },
            { tag: "move up", change: function() { mouseClick(item("moveUp")) } },
            { tag: "speed and fade of all", change: function() {
                item("textInput_speed").text = "12"
                mouseClick(item("speed_all"))
            } },
            { tag: "append a file", change: function() {
                verify(coreProbe.writeHex(path("more.dmx"), foreignShow(20, 3)))
                verify(panel().openAccepted(fileUrl("more.dmx")))
            } },
            { tag: "add a fixture", change: function() { mouseClick(item("addLight")) } },
            { tag: "remove a fixture", change: function() { mouseClick(item("deleteLight")) } },
            { tag: "paste", change: function() { ctrlKey(Qt.Key_C); ctrlKey(Qt.Key_V) } },
            { tag: "cut", change: function() { ctrlKey(Qt.Key_X) } }
        ]
    }

    function test_undoRedo(data) {
        coreProbe.appendRows(4, 2, 3, 9)
        panel().addFixture(7, true)
        var table = item("dmxList")
        table.clicked(1)
        table.doubleClicked(2)
        dmx_list.setDmxData(50, 4, 1) // rows that differ, so that a move shows
        var before = savedBytes()
        data.change()
        var after = savedBytes()
        verify(after !== before)
        ctrlKey(Qt.Key_Z)
        compare(savedBytes(), before)
        ctrlKey(Qt.Key_Z, true)
        compare(savedBytes(), after)
        ctrlKey(Qt.Key_Z)
        ctrlKey(Qt.Key_Y)
        compare(savedBytes(), after)
    }

    function test_undoRefusedWhilePlaying() {
        coreProbe.appendRows(2, 2, 3, 9)
        dmx_list.setDmxData(77, 6, 1)
        panel().startRun()
        ctrlKey(Qt.Key_Z)
        compare(item("statesText").text, "播放时不能撤销：请先停止播放")
        compare(coreProbe.cell(1, 6), 77)
        panel().stopRun()
        ctrlKey(Qt.Key_Z)
        compare(coreProbe.cell(1, 6), 9)
    }

    function test_fadeCapWhicheverKey_data() {
        return [
            { tag: "Return", key: Qt.Key_Return },
            { tag: "keypad Enter", key: Qt.Key_Enter },
            { tag: "no key", key: 0 }
        ]
    }

    function test_fadeCapWhicheverKey(data) {
        coreProbe.appendRows(2, 2, 3, 9)
        typeInto(item("textInput_fade"), "300")
        if (data.key)
            keyClick(data.key)
        mouseClick(item("speed_all"))
        compare(coreProbe.cell(0, 2), 255)
        compare(coreProbe.cell(1, 2), 255)
    }

    // What the status bar says never outlives the change it speaks of, and shows no row or
    // range once the table is empty.
    function test_statusAfterUndo() {
        var table = item("dmxList")
        var url = fileUrl("one.dmx")
        coreProbe.appendRows(1, 2, 3, 9)
        verify(panel().saveAccepted(url, "Dmx files (*.dmx )"))
        table.clicked(0)
        ctrlKey(Qt.Key_C)
        ctrlKey(Qt.Key_V)
        compare(item("statesText").text, "已粘贴 1 步")
        ctrlKey(Qt.Key_Z)
        compare(item("statesText").text, "已撤销")
        ctrlKey(Qt.Key_X)
        compare(coreProbe.rowCount(), 0)
        verify(panel().openAccepted(url))
        compare(item("statesText").text, "已打开 one.dmx")
        ctrlKey(Qt.Key_Z)
        compare(coreProbe.rowCount(), 0)
        compare(item("statusValue").text, "")
        compare(item("statusMinValue").parent.visible, false)
    }

    function test_pasteRefusesOtherText() {
        coreProbe.appendRows(2, 2, 3, 9)
        var edit = Qt.createQmlObject("import QtQuick 2.10; TextEdit { text: 'hello\tworld' }",
                                      win.contentItem)
        edit.selectAll()
        edit.copy()
        edit.destroy()
        ctrlKey(Qt.Key_V)
        compare(item("statesText").text,
                "无法粘贴：line 1, speed: \"hello\" is not a whole number from 0 to 9999")
        compare(coreProbe.rowCount(), 2)
    }

    function test_fileKeys_data() {
        return [
            { tag: "Ctrl+S with a current file", key: Qt.Key_S, shift: false, current: true,
              dialog: false, written: true },
            { tag: "Ctrl+S without one", key: Qt.Key_S, shift: false, current: false,
              dialog: true, forSave: true, written: false },
            { tag: "Ctrl+Shift+S", key: Qt.Key_S, shift: true, current: true, dialog: true,
              forSave: true, written: false },
            { tag: "Ctrl+O", key: Qt.Key_O, shift: false, current: true, dialog: true,
              forSave: false, written: false }
        ]
    }

    function test_fileKeys(data) {
        coreProbe.appendRows(2, 1, 1, 1)
        if (data.current)
            verify(panel().saveAccepted(fileUrl("show1.dmx"), "Dmx files (*.dmx )"))
        var saved = coreProbe.fileHex(path("show1.dmx"))
        dmx_list.setDmxData(300, 1, 0)
        ctrlKey(data.key, data.shift)
        var dialog = item("fileChooser").dialog()
        compare(dialog.visible, data.dialog)
        if (data.dialog)
            compare(dialog.useForSave, data.forSave)
        dialog.close()
        compare(coreProbe.fileHex(path("show1.dmx")) !== saved, data.written)
        compare(win.unsaved, !data.written)
    }
}
