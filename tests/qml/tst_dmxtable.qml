import QtQuick 2.10
import QtTest 1.2
import QtQuick.Dialogs 1.3

TableTestCase {
    name: "StepTable"

    // Scrolls the channel view so that the column starts at its left edge, as far as it goes.
    function scrollToColumn(column) {
        var x = table.columnLeft(column) - table.fixedWidth
        view.contentX = Math.max(0, Math.min(x, view.contentWidth - view.width))
    }

    function titles(from, to) {
        var result = []
        for (var c = from; c < to; ++c)
            result.push(table.getColumn(c).title)
        return result
    }

    function roles(from, to) {
        var result = []
        for (var c = from; c < to; ++c)
            result.push(table.getColumn(c).role)
        return result
    }

    // The face draws the number, and the frame and bar of all but the step number.
    function cellText(row, column) {
        return findChild(cell(row, column), "cellFace")
    }

    function background(row, column) {
        return findChild(cell(row, column), "cellFace")
    }

    function test_fixedColumns() {
        compare(table.columnCount, 3)
        compare(titles(0, 3), ["序\n号", "速度\n x\n0.1秒", "渐变\n x\n0.1秒"])
        compare(roles(0, 3), ["c_id", "speed", "fade"])
        compare(table.getColumn(0).width, 20)
        compare(table.getColumn(1).width, 40)
        compare(table.getColumn(2).width, 40)
        win.tableWidth = 2000
        compare(table.getColumn(0).width, 40)
        compare(table.getColumn(2).width, 80)
        compare(win.posCount, 3)
        compare(table.posArrary, [])
        compare(table.typeArrary, [])
    }

    // The step number column draws its own plain text: a click picks the row instead.
    function test_stepNumberNotEditable() {
        coreProbe.appendRows(2, 10, 20, 30)
        waitForRendering(table)
        var c = cell(1, 0)
        compare(cellText(1, 0).text, "1")
        compare(background(1, 0).framed, false)
        mouseClick(c, c.width / 2, c.height / 2)
        compare(findChild(c, "cellEditor"), null)
        compare(win.playStart, 1)
    }

    function test_fixturesNumberTheirChannels() {
        verify(table.addDevice(8))
        compare(table.columnCount, 18)
        compare(titles(3, 18), ["模\n式\n1", "图\n形\n2", "大\n小\nx\n3", "大\n小\ny\n4",
                                "旋\n转\nx\n5", "旋\n转\ny\n6", "位\n置\nx\n7", "位\n置\ny\n8",
                                "显\n点\n9", "颜\n色\n10", "渐\n绘\n11", "渐\n绘\n颜\n色\n12",
                                "波\n浪\n\n13", "波\n浪\n参\n数\n14", "频\n闪\n15"])
        var expectedRoles = []
        for (var k = 1; k <= 15; ++k)
            expectedRoles.push("channel" + k)
        compare(roles(3, 18), expectedRoles)
        compare(table.posArrary, [18])
        compare(table.typeArrary, [15])
        compare(win.posCount, 18)

        verify(table.addDevice(5))
        compare(table.columnCount, 30)
        var second = titles(18, 30)
        for (k = 16; k <= 27; ++k) {
            verify(second[k - 16].endsWith("\n" + k), second[k - 16])
            compare(table.getColumn(k + 2).role, "channel" + k)
        }
        compare(second[0], "模\n式\n16")
        compare(table.posArrary, [18, 30])
        compare(table.typeArrary, [15, 12])
        compare(win.posCount, 30)

        table.deleteDevice()
        compare(table.columnCount, 18)
        compare(table.getColumn(17).role, "channel15")
        compare(table.posArrary, [18])
        compare(table.typeArrary, [15])
        // The columns end where the remaining fixture ends.
        compare(win.posCount, 18)
        verify(table.addDevice(12))
        compare(win.posCount, 23)
        compare(table.posArrary, [18, 23])
        compare(table.getColumn(18).title, "加\n热\n16")
    }

    function test_deleteWithoutFixtureChangesNothing() {
        table.deleteDevice()
        compare(table.columnCount, 3)
        compare(win.posCount, 3)
        compare(table.posArrary, [])
    }

    function test_fixtureEndsAreYellow() {
        coreProbe.appendRows(2, 0, 0, 0)
        table.addDevice(8)
        table.addDevice(5)
        waitForRendering(table)
        var yellowColumns = [17, 29]
        for (var c = 0; c < table.columnCount; ++c) {
            var last = yellowColumns.indexOf(c) >= 0
            verify(Qt.colorEqual(header(c).border.color, last ? "yellow" : "lightgray"), "header " + c)
            if (c === 0)
                continue
            var back = background(0, c)
            verify(Qt.colorEqual(back.borderColor, last ? "yellow" : "gray"), "cell " + c)
            verify(Qt.colorEqual(back.barColor, last ? "yellow" : "steelblue"), "bar " + c)
        }
        table.deleteDevice()
        table.addDevice(12)
        waitForRendering(table)
        verify(Qt.colorEqual(header(22).border.color, "yellow"))
        verify(Qt.colorEqual(background(1, 22).borderColor, "yellow"))
        verify(Qt.colorEqual(background(1, 21).borderColor, "gray"))
    }

    function test_everyTypeAddsItsLabels_data() {
        return [
            { tag: "Type 01 (33ch)", type: 0, channels: 33, first: "模\n式", last: "阵\n列" },
            { tag: "Type 02", type: 1, channels: 25, first: "模\n式", last: "蓝" },
            { tag: "Type 03 (20ch, 6ch)", type: 2, channels: 20, first: "光\n闸", last: "蓝" },
            { tag: "Type 04 (17ch)", type: 3, channels: 17, first: "模\n式", last: "蓝" },
            { tag: "Type 05 (16ch)", type: 4, channels: 16, first: "模\n式", last: "蓝" },
            { tag: "Type 06 (12ch)", type: 5, channels: 12, first: "模\n式", last: "渐\n绘" },
            { tag: "Type 07 (16ch)", type: 6, channels: 16, first: "操\n控\n范\n围", last: "保\n留" },
            { tag: "Type 08 (18ch)", type: 7, channels: 18, first: "总\n调\n光", last: "显\n点" },
            { tag: "Type 09 (15ch)", type: 8, channels: 15, first: "模\n式", last: "频\n闪" },
            { tag: "Type 10 (16ch)", type: 9, channels: 16, first: "模\n式", last: "光\n栅\n电\n机" },
            { tag: "Type 11 (10ch)", type: 10, channels: 10, first: "红", last: "频\n闪\n渐\n绘" },
            { tag: "Type 12 (10ch)", type: 11, channels: 12, first: "模\n式", last: "扫\n描\n速\n度" },
            { tag: "Type 13 (5ch)", type: 12, channels: 5, first: "加\n热", last: "速\n度" },
            { tag: "Type 14 (14ch)", type: 13, channels: 14, first: "模\n式", last: "光\n栅\n" },
            { tag: "Type 15 (22ch)", type: 14, channels: 23, first: "模\n式", last: "蓝" },
            { tag: "Type 16", type: 15, channels: 25, first: "模\n式", last: "蓝" },
            { tag: "Type 17 (18ch)", type: 16, channels: 18, first: "总\n调\n光", last: "蓝" },
            { tag: "Type 18", type: 17, channels: 26, first: "总\n调\n光", last: "蓝" },
            { tag: "Type 19", type: 18, channels: 27, first: "透\n明\n度", last: "蓝" },
            { tag: "Type 20", type: 19, channels: 20, first: "总\n调\n光", last: "蓝" },
            { tag: "Type 21 (25ch)", type: 20, channels: 25, first: "透\n明\n度", last: "蓝" },
            { tag: "Type 22 (14ch)", type: 21, channels: 14, first: "模\n式", last: "频\n闪" },
            { tag: "Type 23 (15ch)", type: 22, channels: 15, first: "模\n式", last: "边\n界\n/\n柔\n顺" },
            { tag: "Type 24 (22ch)", type: 23, channels: 22, first: "光\n闸", last: "光\n栅\n电\n机" },
            { tag: "Type 25 (27ch)", type: 24, channels: 27, first: "模\n式", last: "翻\n转\ny\n宏" },
            { tag: "Type 26 (17ch)", type: 25, channels: 17, first: "透\n明\n度", last: "渐\n绘" },
            { tag: "Type 27 (24ch)", type: 26, channels: 24, first: "透\n明\n度", last: "显\n点" }
        ]
    }

    // Added through the window's chooser and button, as the user does.
    function test_everyTypeAddsItsLabels(data) {
        item("ch_type").currentIndex = data.type
        mouseClick(item("addLight"))
        compare(win.light_number, 1)
        compare(table.columnCount, 3 + data.channels)
        compare(table.typeArrary, [data.channels])
        compare(table.posArrary, [3 + data.channels])
        compare(win.posCount, 3 + data.channels)
        compare(table.getColumn(3).title, data.first + "\n1")
        var last = table.getColumn(2 + data.channels)
        compare(last.title, data.last + "\n" + data.channels)
        compare(last.role, "channel" + data.channels)
        mouseClick(item("deleteLight"))
        compare(table.columnCount, 3)
        compare(win.light_number, 0)
    }

    function test_unknownTypeAddsNothing_data() {
        return [
            { tag: "below", type: -1 },
            { tag: "above", type: 27 },
            { tag: "fraction", type: 1.5 },
            { tag: "text", type: "3" },
            { tag: "missing", type: undefined }
        ]
    }

    function test_unknownTypeAddsNothing(data) {
        compare(table.addDevice(data.type), false)
        compare(table.columnCount, 3)
        compare(table.posArrary, [])
        compare(table.typeArrary, [])
        compare(win.posCount, 3)
    }

    // A column past channel 512 would have no cell of its own: an edit there would land on
    // channel 512.
    function test_fixturesStopAtChannel512() {
        var chooser = item("ch_type")
        var add = item("addLight")
        chooser.currentIndex = 24
        for (var i = 0; i < 18; ++i)
            mouseClick(add)
        compare(win.light_number, 18)
        compare(win.posCount, 489)
        chooser.currentIndex = 0
        mouseClick(add)
        compare(win.light_number, 18)
        compare(table.columnCount, 489)
        compare(table.posArrary.length, 18)
        chooser.currentIndex = 17
        mouseClick(add)
        compare(win.light_number, 19)
        compare(table.columnCount, 515)
        compare(win.posCount, 515)
        compare(table.getColumn(514).role, "channel512")

        chooser.currentIndex = 12
        mouseClick(add)
        compare(win.light_number, 19)
        compare(table.columnCount, 515)
        compare(table.posArrary.length, 19)
        compare(table.typeArrary.length, 19)
        compare(win.posCount, 515)
        mouseClick(item("deleteLight"))
        compare(win.light_number, 18)
        compare(table.columnCount, 489)
        mouseClick(add)
        compare(win.light_number, 19)
        compare(table.columnCount, 494)
        compare(table.getColumn(493).role, "channel491")
    }

    function test_cellEdit_data() {
        return [
            { tag: "speed clamped", column: 1, typed: "12000", stored: 9999 },
            { tag: "speed far above", column: 1, typed: "70000", stored: 9999 },
            { tag: "speed in range", column: 1, typed: "300", stored: 300 },
            { tag: "fade clamped", column: 2, typed: "300", stored: 255 },
            { tag: "fade in range", column: 2, typed: "90", stored: 90 },
            { tag: "channel clamped", column: 3, typed: "300", stored: 255 },
            { tag: "channel in range", column: 9, typed: "128", stored: 128 },
            { tag: "channel zero", column: 5, typed: "0", stored: 0 },
            { tag: "fraction", column: 4, typed: "12.7", stored: 12 }
        ]
    }

    function test_cellEdit(data) {
        coreProbe.appendRows(3, 10, 20, 50)
        table.addDevice(8)
        waitForRendering(table)
        typeIntoCell(1, data.column, data.typed)
        compare(coreProbe.cell(1, data.column), data.stored)
        compare(dmx_list.currentRow, 1)
        compare(coreProbe.cell(0, data.column), coreProbe.cell(2, data.column))
        if (data.column >= 3)
            compare(coreProbe.level(data.column - 3), data.stored)
    }

    function test_invalidEntryStoresNothing_data() {
        return [
            { tag: "text", column: 4, typed: "abc" },
            { tag: "negative channel", column: 4, typed: "-5" },
            { tag: "negative speed", column: 1, typed: "-1" },
            { tag: "empty", column: 2, typed: "" },
            { tag: "number then text", column: 6, typed: "12x" }
        ]
    }

    function test_invalidEntryStoresNothing(data) {
        coreProbe.appendRows(3, 10, 20, 50)
        table.addDevice(8)
        waitForRendering(table)
        var before = coreProbe.cell(1, data.column)
        typeIntoCell(1, data.column, data.typed)
        compare(coreProbe.cell(1, data.column), before)
        compare(dmx_list.currentRow, -1)
        compare(cellText(1, data.column).text, String(before))
        // The cell still follows the model afterwards.
        dmx_list.setDmxData(77, data.column, 1)
        dmx_list.refrushModel()
        compare(cellText(1, data.column).text, "77")
    }

    // Only the cells in view exist; scrolling builds the others, which then show and store
    // their own channel, and a reset keeps them showing the stored values.
    function test_cellsFarRightAreBuiltWhenScrolledTo() {
        coreProbe.appendRows(2, 10, 20, 40)
        for (var i = 0; i < 10; ++i)
            verify(table.addDevice(0))
        waitForRendering(table)
        var last = table.columnCount - 1
        verify(!cellOrNull(0, last), "far right cell is not built before scrolling")
        verify(cellOrNull(0, 3))
        view.contentX = view.contentWidth - view.width
        waitForRendering(table)
        verify(cellOrNull(0, last))
        verify(!cellOrNull(0, 3), "cells scrolled far away are let go")
        compare(cellText(0, last).text, "40")
        verify(Qt.colorEqual(header(last).border.color, "yellow"))
        typeIntoCell(0, last, "77")
        compare(coreProbe.cell(0, last), 77)
        compare(cellText(0, last).text, "77")
        dmx_list.refrushModel()
        waitForRendering(table)
        compare(cellText(0, last).text, "77")
        compare(cellText(1, last).text, "40")
    }

    // A clamped entry shows the stored top at once, and no reset brings typed text back.
    function test_resetShowsStoredValue() {
        coreProbe.appendRows(2, 10, 20, 255)
        table.addDevice(12)
        waitForRendering(table)
        typeIntoCell(0, 4, "300")
        compare(coreProbe.cell(0, 4), 255)
        compare(cellText(0, 4).text, "255")
        for (var reset = 0; reset < 3; ++reset) {
            dmx_list.refrushModel()
            wait(0)
            compare(cellText(0, 4).text, "255")
            compare(cellText(1, 4).text, "255")
        }
    }

    function test_valueBar_data() {
        return [
            { tag: "channel full", column: 3, value: 255, share: 1, background: "lightgray" },
            { tag: "channel empty", column: 3, value: 0, share: 0, background: "lightgray" },
            { tag: "channel half", column: 4, value: 128, share: 128 / 255, background: "lightsteelblue" },
            { tag: "channel 127", column: 4, value: 127, share: 127 / 255, background: "lightgray" },
            { tag: "fade full", column: 2, value: 255, share: 1, background: "lightgray" },
            { tag: "speed full", column: 1, value: 9999, share: 1, background: "lightgray" },
            { tag: "speed 255", column: 1, value: 255, share: 255 / 9999, background: "lightgray" },
            { tag: "speed 128", column: 1, value: 128, share: 128 / 9999, background: "lightsteelblue" }
        ]
    }

    function test_valueBar(data) {
        coreProbe.appendRows(1, 0, 0, 0)
        table.addDevice(12)
        dmx_list.setDmxData(data.value, data.column, 0)
        dmx_list.refrushModel()
        waitForRendering(table)
        var back = background(0, data.column)
        verify(back.height > 0)
        compare(back.height, cell(0, data.column).height - 2)
        fuzzyCompare(back.barHeight, back.height * data.share, 0.01)
        verify(Qt.colorEqual(back.color, data.background))
        verify(Qt.colorEqual(back.barFillColor, "lightsteelblue"))
    }

    function test_rowColours_data() {
        return [
            { tag: "backward", start: 5, end: 2,
              colours: ["lightgray", "lightgray", "lightsteelblue", "lightblue", "lightblue",
                        "lightsteelblue", "lightgray", "lightgray"] },
            { tag: "forward", start: 2, end: 5,
              colours: ["lightgray", "lightgray", "lightsteelblue", "lightblue", "lightblue",
                        "lightsteelblue", "lightgray", "lightgray"] },
            { tag: "one row", start: 4, end: 4,
              colours: ["lightgray", "lightgray", "lightgray", "lightgray", "lightsteelblue",
                        "lightgray", "lightgray", "lightgray"] },
            { tag: "neighbours", start: 3, end: 4,
              colours: ["lightgray", "lightgray", "lightgray", "lightsteelblue", "lightsteelblue",
                        "lightgray", "lightgray", "lightgray"] }
        ]
    }

    function test_rowColours(data) {
        coreProbe.appendRows(8, 0, 0, 0)
        coreProbe.moveTo(-1, data.start, data.end)
        waitForRendering(table)
        for (var r = 0; r < 8; ++r) {
            compare(table.getBackColor(r), data.colours[r], "row " + r)
            var drawn = drawnRowColour(r)
            verify(Qt.colorEqual(drawn, data.colours[r]), "row " + r + " drawn " + drawn)
            compare(cell(r, 1).height, win.singleLineHeight)
        }
    }

    // The marked row keeps the common height: see rowHeight() in the table.
    function test_selectedRowIsRed() {
        coreProbe.appendRows(6, 0, 0, 0)
        coreProbe.moveTo(3, 1, 4)
        waitForRendering(table)
        verify(Qt.colorEqual(drawnRowColour(3), "red"))
        compare(cell(3, 1).height, win.singleLineHeight)
        compare(cell(4, 1).y, 4 * win.singleLineHeight)
        coreProbe.moveTo(-1, 1, 4)
        waitForRendering(table)
        verify(Qt.colorEqual(drawnRowColour(3), "lightblue"))
        compare(cell(3, 1).height, win.singleLineHeight)
    }

    // Clicks on the step number reach the window's handlers through the table.
    function test_rowClicksSetTheRange() {
        coreProbe.appendRows(6, 0, 0, 0)
        table.addDevice(12)
        waitForRendering(table)
        var target = cell(4, 0)
        mouseClick(target, 3, target.height / 2)
        compare(win.playStart, 4)
        verify(table.selection.contains(4))
        target = cell(2, 0)
        mouseDoubleClickSequence(target, 3, target.height / 2)
        compare(win.playEnd, 2)
        compare(win.playStart, 4)
    }

    function test_headerDoubleClickShowsInformation_data() {
        return [
            { tag: "step number", column: 0 },
            { tag: "speed", column: 1 },
            { tag: "channel", column: 5 },
            { tag: "fixture end", column: 17 }
        ]
    }

    function test_headerDoubleClickShowsInformation(data) {
        table.addDevice(8)
        waitForRendering(table)
        var dialog = findChild(table, "columnInformation").dialog()
        verify(dialog)
        compare(dialog.visible, false)
        var target = header(data.column)
        mouseClick(target)
        compare(dialog.visible, false)
        mouseDoubleClickSequence(target)
        compare(dialog.visible, true)
        dialog.close()
        mouseDoubleClickSequence(target, target.width / 2, target.height / 2, Qt.RightButton)
        compare(dialog.visible, true)
        dialog.close()
    }

    // A moved column would edit another channel than its title says.
    function test_headersStayInPlace() {
        table.addDevice(8)
        waitForRendering(table)
        var before = roles(0, 18)
        var target = header(4)
        var width = target.width
        mouseDrag(target, width / 2, 50, 3 * width, 0)
        mouseDrag(target, width - 2, 50, 30, 0)
        compare(roles(0, 18), before)
        compare(table.getColumn(4).width, width)
    }

    function test_informationText() {
        var dialog = findChild(table, "columnInformation").dialog()
        compare(dialog.title, "模式通道的数值")
        compare(dialog.icon, StandardIcon.Information)
        compare(dialog.visible, false)
        compare(dialog.text,
                "\n"
                + "0-10\t总闭光\n"
                + "11-40\t自走模式（2通道）\t内置效果列表\n"
                + "41-70\t声控模式（2通道）\t内置效果列表\n"
                + "71-110\tDMX通用模式（通道数由菜单决定）\t内置图形\n"
                + "111-130                             SD卡：show1，在show/Param.csv设置\n"
                + "                                    Rate: 0 – 40帧数/秒（循环播放时有效）\n"
                + "131-150                             SD卡：show2，\n"
                + "151-170                             SD卡：show3，\n"
                + "171-190                             SD卡：show4，\n"
                + "191-210                             SD卡：show5，\n"
                + "211-230                             SD卡：show6，\n"
                + "231-250                             SD卡：show7，\n"
                + "251-255                             SD卡：Rate: 0，顺序循环播放所有的文件。\n")
    }

    // ---- what the table shows is what the model holds

    function shownCells() {
        return shownItems(view.contentItem, "cell").concat(shownItems(fixedView.contentItem, "cell"))
    }

    // Every cell whose place lies in the viewport of either view exists once, on its row's
    // line, and shows the model's value.
    function compareViewWithModel(what) {
        settle()
        tryVerify(function() { return coreProbe.rowCount() === 0 || shownCells().length > 0 },
                  2000, what + ": cells built")
        compare(fixedView.contentY, view.contentY, what + ": fixed columns beside their rows")
        var seen = {}
        var shown = shownCells()
        for (var i = 0; i < shown.length; ++i) {
            var c = shown[i]
            var key = c.modelRow + "," + c.modelColumn
            verify(!seen[key], what + ": cell " + key + " shown twice")
            seen[key] = true
            verify(c.modelRow < coreProbe.rowCount() && c.modelColumn < table.columnCount,
                   what + ": cell " + key + " outside the table")
            var x = table.columnLeft(c.modelColumn) - (c.modelColumn < table.fixedColumns ? 0 : table.fixedWidth)
            fuzzyCompare(c.x, x, 0.5, what + ": cell " + key + " off its column")
            fuzzyCompare(c.y, table.rowTop(c.modelRow), 0.5, what + ": cell " + key + " off its row")
            compare(findChild(c, "cellFace").text, String(coreProbe.cell(c.modelRow, c.modelColumn)),
                    what + ": cell " + key)
        }
        verify(view.contentY <= Math.max(0, view.contentHeight + view.bottomMargin - view.height) + 0.5,
               what + ": view past the last step")
        var bottom = view.contentY + view.height
        var right = view.contentX + view.width
        for (var r = 0; r < coreProbe.rowCount(); ++r) {
            // Half a pixel of overlap, clear of rounding in the sums of widths and heights.
            if (table.rowTop(r) + table.rowHeight(r) <= view.contentY + 0.5 || table.rowTop(r) >= bottom - 0.5)
                continue
            for (var col = 0; col < table.columnCount; ++col) {
                var left = table.columnLeft(col) - table.fixedWidth
                var inView = col < table.fixedColumns
                        || (left + table.columnWidth(col) > view.contentX + 0.5 && left < right - 0.5)
                if (inView)
                    verify(seen[r + "," + col], what + ": no cell " + r + "," + col + " in view, "
                           + [view.contentX, view.contentY, view.contentWidth, view.contentHeight,
                              view.width, view.height, table.markedRow, shown.length])
            }
        }
    }

    function faderMove(channel, value) {
        dmx_data[channel].run_flag = false
        dmx_data[channel].dimValue = value
    }

    function act(step, n) {
        switch (step) {
        case "fader": faderMove(5, (n * 37 + 11) % 256); break
        case "click": clickRow(Math.min(n % 7, coreProbe.rowCount() - 1)); break
        case "edit": view.contentX = 0; view.contentY = 0; settle(); typeIntoCell(1, 3 + n % 5, String(n * 53 % 300)); break
        case "insert": mouseClick(button("addData")); break
        case "delete": clickRow(1); doubleClickRow(2); mouseClick(button("delData")); break
        case "moveUp": mouseClick(button("moveUp")); break
        case "moveDown": mouseClick(button("moveDown")); break
        case "load": coreProbe.appendRows(4, n, n + 1, n * 10 % 256); dmx_list.refrushIndex(); break
        // More rows than the view model keeps spare, so the view hears of a new row count.
        case "loadMany": coreProbe.appendRows(70, n, n + 1, n * 10 % 256); dmx_list.refrushIndex(); break
        case "deleteMany": clickRow(1); doubleClickRow(Math.min(72, coreProbe.rowCount() - 2)); mouseClick(button("delData")); break
        case "addFixture": table.addDevice(n % 27); break
        case "removeFixture": table.deleteDevice(); break
        case "right": view.contentX = Math.max(0, view.contentWidth - view.width); break
        case "left": view.contentX = 0; break
        case "down": view.contentY = Math.max(0, view.contentHeight + view.bottomMargin - view.height); break
        case "up": view.contentY = 0; break
        case "refresh": mouseClick(button("frushData")); break
        default: fail("unknown step " + step)
        }
    }

    function test_cellsInViewMatchTheModel_data() {
        return [
            { tag: "faders and edits", steps: ["click", "fader", "edit", "fader", "edit", "refresh", "fader"] },
            { tag: "rows", steps: ["click", "insert", "fader", "delete", "insert", "moveUp", "edit", "moveDown", "delete"] },
            { tag: "loads", steps: ["edit", "load", "fader", "load", "down", "click", "fader", "up", "edit", "load"] },
            { tag: "fixtures", steps: ["addFixture", "edit", "addFixture", "right", "removeFixture", "fader", "left", "addFixture"] },
            { tag: "scrolls", steps: ["addFixture", "addFixture", "load", "load", "load", "load", "right", "down", "edit",
                                      "left", "fader", "up", "right", "insert", "down", "delete", "left", "up"] },
            { tag: "everything", steps: ["load", "addFixture", "click", "fader", "edit", "insert", "right", "fader",
                                         "down", "delete", "left", "moveDown", "edit", "removeFixture", "up",
                                         "load", "moveUp", "refresh", "fader"] },
            { tag: "many rows", steps: ["loadMany", "down", "fader", "deleteMany", "insert", "loadMany", "down",
                                        "moveUp", "deleteMany", "up", "delete"] }
        ]
    }

    function test_cellsInViewMatchTheModel(data) {
        coreProbe.appendRows(12, 3, 4, 64)
        table.addDevice(8)
        compareViewWithModel("start")
        for (var i = 0; i < data.steps.length; ++i) {
            act(data.steps[i], i + 1)
            compareViewWithModel(i + ": " + data.steps[i])
        }
    }

    // The view model's spare rows past the last step are out of reach: the scroll bar spans
    // the steps, and at its end the last step is at the bottom of the view.
    function test_scrollBarSpansTheSteps() {
        coreProbe.appendRows(40, 0, 0, 0)
        var bar = findChild(view, "vScroll")
        var steps = table.rowTop(40)
        tryCompare(bar, "size", view.height / steps, 5000)
        bar.position = 1 - bar.size
        compare(view.contentY, steps - view.height)
        mouseWheel(view, view.width / 2, view.height / 2, 0, -1200)
        tryVerify(function() { return !view.moving }, 2000, "the wheel's movement is over")
        compare(view.contentY, steps - view.height)
        compareViewWithModel("at the end")
    }

    // The pointer watch over the channel view lets the wheel through to it.
    function test_wheelOverChannelsScrollsRows() {
        coreProbe.appendRows(40, 0, 0, 0)
        mouseWheel(view, view.width / 2, view.height / 2, 0, -240)
        tryVerify(function() { return view.contentY > 0 }, 5000, "rows scrolled by the wheel")
    }

    // Step number, speed and fade stay at the left while the channels scroll sideways, and a
    // wheel over them scrolls the rows as it does over the channels.
    function test_fixedColumnsStayInPlace() {
        coreProbe.appendRows(40, 0, 0, 0)
        for (var i = 0; i < 10; ++i)
            verify(table.addDevice(0))
        mouseWheel(fixedView, fixedView.width / 2, fixedView.height / 2, 0, -240)
        tryVerify(function() { return view.contentY > 0 }, 5000, "rows scrolled by the wheel")
        compare(header(3).mapToItem(table, 0, 0).x, table.fixedWidth)
        view.contentX = view.contentWidth - view.width
        compareViewWithModel("scrolled")
        var top = Math.ceil(view.contentY / table.rowHeight(0))
        compare(cell(top, 0).mapToItem(table, 0, 0).x, 0)
        compare(header(2).mapToItem(table, 0, 0).x, table.columnLeft(2))
        // The channel titles follow the scrolled cells column for column.
        waitForRendering(table)
        var last = table.columnCount - 1
        fuzzyCompare(header(last).mapToItem(table, 0, 0).x,
                     cell(top + 5, last).mapToItem(table, 0, 0).x, 0.5)
        mouseWheel(fixedView, fixedView.width / 2, fixedView.height / 2, 0, 240)
        tryCompare(view, "contentY", 0, 5000)
        compareViewWithModel("back at the top")
    }

    // ---- the marked row is the row edits go into

    function rowsHolding(column, value) {
        var rows = []
        for (var r = 0; r < coreProbe.rowCount(); ++r) {
            if (coreProbe.cell(r, column) === value)
                rows.push(r)
        }
        return rows
    }

    function test_markedRowIsTheEditRow_data() {
        return [
            { tag: "nothing done", action: function() {}, marked: -1 },
            { tag: "click", action: function() { clickRow(3) }, marked: 3 },
            { tag: "cell edit", action: function() { clickRow(1); typeIntoCell(4, 5, "9") }, marked: 4 },
            { tag: "全选", action: function() { clickRow(3); mouseClick(button("playAllData")) }, marked: 0 },
            { tag: "增加", action: function() { clickRow(2); mouseClick(button("addData")) }, marked: 3 },
            { tag: "Down", action: function() { clickRow(2); keyClick(Qt.Key_Down) }, marked: 3 },
            { tag: "Up", action: function() { clickRow(2); keyClick(Qt.Key_Up) }, marked: 1 },
            { tag: "删除", action: function() { clickRow(2); doubleClickRow(4); mouseClick(button("delData")) },
              marked: 1 },
            { tag: "load", action: function() { clickRow(2); coreProbe.appendRows(3, 0, 0, 0); dmx_list.refrushIndex() },
              marked: 2 },
            { tag: "double click", action: function() { clickRow(1); doubleClickRow(4) }, marked: 1 },
            { tag: "Init", action: function() { clickRow(5); mouseClick(button("text0")) }, marked: 5 },
            // Row 3 holds for 5 s, so that playback, which runs on, is stopped there.
            { tag: "playback", action: function() {
                typeIntoCell(3, 1, "50"); clickRow(1); doubleClickRow(3); item("text_control").startRun()
                tryVerify(function() { return dmx_list.currentRow === 3 }, 5000)
                item("text_control").stopRun() }, marked: 3 }
        ]
    }

    function test_markedRowIsTheEditRow(data) {
        coreProbe.appendRows(6, 0, 0, 0)
        table.addDevice(8)
        settle()
        data.action()
        settle()
        compare(table.markedRow, data.marked)
        compare(findChild(table, "noEditRow").visible, data.marked < 0)
        if (data.marked >= 0)
            verify(Qt.colorEqual(drawnRowColour(data.marked), "red"))
        faderMove(7, 201)
        compare(rowsHolding(10, 201), data.marked >= 0 ? [data.marked] : [])
    }

    // ---- the play range

    function test_rangePicking_data() {
        return [
            { tag: "click then double click", pick: function() { clickRow(1); doubleClickRow(4) },
              start: 1, end: 4, marked: 1 },
            { tag: "double click then click", pick: function() { doubleClickRow(4); clickRow(1) },
              start: 1, end: 4, marked: 1 },
            { tag: "shift click", pick: function() { clickRow(1); clickRow(4, false, Qt.ShiftModifier) }, start: 1, end: 4, marked: 1 },
            { tag: "backwards", pick: function() { clickRow(5); doubleClickRow(2) }, start: 5, end: 2, marked: 5 },
            { tag: "one row", pick: function() { clickRow(3); doubleClickRow(3) }, start: 3, end: 3, marked: 3 }
        ]
    }

    function test_rangePicking(data) {
        coreProbe.appendRows(7, 0, 0, 0)
        data.pick()
        settle()
        compare(win.playStart, data.start)
        compare(win.playEnd, data.end)
        compare(coreProbe.playStart(), data.start)
        compare(coreProbe.playEnd(), data.end)
        var low = Math.min(data.start, data.end)
        var high = Math.max(data.start, data.end)
        compare(item("statusMinValue").text, String(low))
        compare(item("statusMaxValue").text, String(high))
        compare(table.markedRow, data.marked)
        for (var r = 0; r < 7; ++r) {
            var expected = r === data.marked ? "red" : table.getBackColor(r)
            verify(Qt.colorEqual(drawnRowColour(r), expected), "row " + r)
        }
        var bracket = findChild(table, "rangeBracket")
        compare(bracket.y, table.rowTop(low) + 2)
        compare(bracket.y + bracket.height, table.rowTop(high) + table.rowHeight(high) - 2)
    }

    function test_deleteRemovesTheShadedRows_data() {
        return [
            { tag: "middle", start: 2, end: 4, left: [0, 1, 5, 6], after: 1 },
            { tag: "from the top", start: 0, end: 1, left: [2, 3, 4, 5, 6], after: 0 },
            { tag: "backwards", start: 5, end: 3, left: [0, 1, 2, 6], after: 2 },
            { tag: "to the end", start: 4, end: 6, left: [0, 1, 2, 3], after: 3 }
        ]
    }

    function test_deleteRemovesTheShadedRows(data) {
        // Each row's speed tells it apart.
        for (var k = 0; k < 7; ++k)
            coreProbe.appendRows(1, k, 0, 0)
        clickRow(data.start)
        doubleClickRow(data.end)
        // Clicking a row inside the range only moves its start.
        clickRow(data.start)
        var del = button("delData")
        verify(del.tooltip.indexOf("播放范围") >= 0, del.tooltip)
        mouseClick(del)
        settle()
        var ids = []
        for (var r = 0; r < coreProbe.rowCount(); ++r)
            ids.push(coreProbe.cell(r, 1))
        compare(ids, data.left)
        compare(win.playStart, data.after)
        compare(win.playEnd, data.after)
        compare(item("statusMinValue").text, String(data.after))
        compare(item("statusMaxValue").text, String(data.after))
        compare(table.markedRow, data.after)
    }

    // The range end set in the core (as after a load) is the window's end too.
    function test_rangeEndReachesTheModel() {
        coreProbe.appendRows(9, 0, 0, 0)
        dmx_list.setPlayerEndRow(7)
        compare(win.playEnd, 7)
        compare(item("statusMaxValue").text, "7")
    }

    // ---- text fits its box

    function test_textFits_data() {
        return [
            { tag: "six-line title", type: 0, column: 27 },
            { tag: "five-line title", type: 0, column: 15 },
            { tag: "three-digit channel", type: 8, column: 5, value: 255 },
            { tag: "four-digit speed", type: 8, column: 1, value: 9999 },
            { tag: "channel 512 title", type: 17, column: 514 }
        ]
    }

    function test_textFits(data) {
        if (data.column === 514) {
            item("ch_type").currentIndex = 24
            for (var i = 0; i < 18; ++i)
                mouseClick(item("addLight"))
        }
        table.addDevice(data.type)
        coreProbe.appendRows(2, 0, 0, 0)
        if (data.value !== undefined) {
            dmx_list.setDmxData(data.value, data.column, 0)
            dmx_list.setDmxData(data.value, data.column + 1, 0)
            dmx_list.refrushModel()
        }
        scrollToColumn(data.column)
        settle()
        var title = findChild(header(data.column), "headerText")
        verify(title.contentHeight <= title.height, "title height " + title.contentHeight + " > " + title.height)
        verify(title.contentWidth <= title.width, "title width " + title.contentWidth + " > " + title.width)
        var number = cellText(0, data.column)
        compare(number.text, String(coreProbe.cell(0, data.column)))
        // Neighbours keep a gap between their digits.
        var room = cell(0, data.column).width - 6
        verify(number.contentWidth <= room, "number " + number.contentWidth + " > " + room)
    }
}
