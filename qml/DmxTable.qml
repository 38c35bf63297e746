import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import QtQuick.Dialogs 1.3
import ov.qt.dmx 1.0

// The step table: step number, speed and fade, then one column per channel of every fixture
// added with the fixture bar, in patch order. Column index = cell index of the step row.
// Only the cells in view exist; they are reused while scrolling and across model resets.
// The first three columns stay in place while the channel columns scroll sideways, so a
// step keeps its number and times in view across hundreds of fixture columns.
Item {
    id: dimTableView

    property var typeArrary: []
    property var posArrary: []
    property var chUser
    // Title and model role of each column, in column order.
    property var columnList: []
    readonly property int columnCount: columnList.length
    readonly property int rowCount: stepModel.rows
    // The start of the play range before the last single click: the first click of a
    // double click must not move it.
    property int startBeforeClick: -1

    signal clicked(int row)
    signal doubleClicked(int row)

    // The marked row: the row fader moves and the value shortcuts write into. The window
    // sets it from the model's current row.
    property QtObject selection: QtObject {
        property int row: -1
        readonly property int count: row >= 0 ? 1 : 0
        function clear() { row = -1 }
        function select(r) { row = r }
        function contains(r) { return r === row }
    }
    readonly property int markedRow: selection.row >= 0 && selection.row < rowCount ? selection.row : -1

    // Header labels of each fixture type, channel 1 first; the index is the chooser's type.
    readonly property var fixtureTypes: fixture_catalogue.labelLists

    // Adds a fixture of the chooser's type; refuses an unknown type and a fixture that would
    // pass channel 512, since its columns would have no cell to show or write.
    function addDevice(type) {
        if (!Number.isInteger(type) || type < 0 || type >= fixtureTypes.length)
            return false
        var labels = fixtureTypes[type]
        if (lastFixtureEnd() + labels.length > initChCount + dimNumber)
            return false
        chUser = labels
        addInDevice()
        return true
    }

    function addInDevice() {
        var n = chUser.length
        posCount = lastFixtureEnd() + n
        dmx_list.add_light_fix(posArrary.length, n)
        // New arrays rather than push, so the bindings see the change.
        posArrary = posArrary.concat([posCount])
        typeArrary = typeArrary.concat([n])
        var added = []
        for (var i = 0; i < n; ++i) {
            var k = columnList.length + i - 2
            var label = chUser[i] === "" ? "ch" : qsTr(chUser[i])
            added.push({ title: label + "\n" + k, role: "channel" + k })
        }
        columnList = columnList.concat(added)
    }

    function deleteDevice() {
        if (typeArrary.length === 0)
            return
        var n = typeArrary[typeArrary.length - 1]
        typeArrary = typeArrary.slice(0, -1)
        posCount = posArrary[posArrary.length - 1]
        posArrary = posArrary.slice(0, -1)
        dmx_list.delete_light_fix(posArrary.length)
        columnList = columnList.slice(0, Math.max(initChCount, columnList.length - n))
    }

    function lastFixtureEnd() {
        return posArrary.length > 0 ? posArrary[posArrary.length - 1] : initChCount
    }

    function updateColumnTable() {
        columnList = [
            { title: qsTr("序\n号"), role: "c_id" },
            { title: qsTr("速度\n x\n0.1秒"), role: "speed" },
            { title: qsTr("渐变\n x\n0.1秒"), role: "fade" }
        ]
    }

    function getColumn(column) {
        var c = columnList[column]
        return c ? { title: c.title, role: c.role, width: columnWidth(column) } : null
    }

    // Columns cannot be moved or resized, so a column's place follows from its index.
    function columnWidth(column) {
        return tableWidth * (column < 1 ? 0.02 : column < 3 ? 0.04 : 0.025)
    }

    // The columns that stay in place; the channel view's column 0 is the next one.
    readonly property int fixedColumns: 3
    readonly property real fixedWidth: columnLeft(fixedColumns)

    function channelColumnWidth(column) {
        return columnWidth(fixedColumns + column)
    }

    // The largest size up to 13 px at which a stacked title fits its header, worked out
    // from its lines rather than by trial layouts, which would cost every header rebuild.
    function titleFontSize(title, width, height) {
        var lines = title.split("\n")
        var widest = 0
        for (var i = 0; i < lines.length; ++i) {
            var em = 0
            for (var k = 0; k < lines[i].length; ++k)
                em += lines[i].charCodeAt(k) > 0x2e80 ? 1 : 0.62
            widest = Math.max(widest, em)
        }
        var size = Math.min(13, height / (lines.length * 1.4), widest > 0 ? width / widest : 13)
        return Math.max(6, Math.floor(size))
    }

    function columnAt(x) {
        if (x < tableWidth * 0.1)
            return x < tableWidth * 0.02 ? 0 : x < tableWidth * 0.06 ? 1 : 2
        return 3 + Math.floor((x - tableWidth * 0.1) / (tableWidth * 0.025))
    }

    // Left edge of a column as if the table did not scroll.
    function columnLeft(column) {
        return column < 1 ? 0 : column < 3 ? tableWidth * (0.02 + 0.04 * (column - 1))
                                           : tableWidth * (0.1 + 0.025 * (column - 3))
    }

    // One height for all rows: the view places rows it jumps to by their mean height, so a
    // taller row would put every row after it out of its place.
    function rowHeight(row) {
        return singleLineHeight
    }

    function rowTop(row) {
        return row * singleLineHeight
    }

    function lastColumn_Color(column, colorTrue, colorFalse) {
        return posArrary.indexOf(column + 1) >= 0 ? colorTrue : colorFalse
    }

    function getBackColor(row) {
        if (row === playEnd || row === playStart)
            return "lightsteelblue"
        var low = Math.min(playStart, playEnd)
        var high = Math.max(playStart, playEnd)
        return low < row && row < high ? "lightblue" : "lightgray"
    }

    // Scrolls the least distance that shows the whole row.
    function positionViewAtRow(row, mode) {
        if (row < 0 || row >= rowCount)
            return
        var top = rowTop(row)
        var bottom = top + rowHeight(row)
        if (top < cells.contentY)
            cells.contentY = top
        else if (bottom > cells.contentY + cells.height)
            cells.contentY = Math.min(bottom, cells.rowsHeight) - cells.height
    }

    // A single click picks the start of the play range.
    function pickStart(row) {
        startBeforeClick = playStart
        forceActiveFocus()
        clicked(row)
    }

    // Shift+click and double click pick the end. A double click began with a click that
    // moved the start: that start is put back first.
    function pickEnd(row, byDoubleClick) {
        forceActiveFocus()
        if (byDoubleClick && startBeforeClick >= 0 && startBeforeClick !== playStart
                && startBeforeClick < rowCount)
            startPos(startBeforeClick)
        doubleClicked(row)
    }

    // The window's range is what the table shades, what plays and what "删除" removes:
    // keep it and the model's range the same whichever side moved.
    Connections {
        target: dmx_list
        function onPlayRangeChanged(start, end) {
            playStart = start
            playEnd = end
        }
    }
    Connections {
        target: root
        function onPlayEndChanged() {
            if (playEnd >= 0)
                dmx_list.setPlayerEndRow(playEnd)
        }
    }

    Connections {
        target: root
        function onTableWidthChanged() {
            stepColumns.forceLayout()
            cells.forceLayout()
        }
    }

    // Cells count their value changes here; past a few rows' worth before the next frame,
    // the table area is repainted as a whole (see RepaintGuard).
    property int changedCells: 0
    property bool manyCellsChanged: false
    function cellChanged() {
        if (changedCells++ === 0)
            Qt.callLater(endOfCellChanges)
        if (changedCells === 100)
            manyCellsChanged = !manyCellsChanged
    }
    function endOfCellChanges() {
        changedCells = 0
    }
    Component.onCompleted: updateColumnTable()

    // Shows the stored values of a row again in the view that holds the column, after a
    // write that announces nothing.
    function refreshRow(row, column) {
        (column < fixedColumns ? stepNumbers : stepModel).refreshRow(row)
    }

    // A scroll moves every cell, and an inserted, removed or moved step or a load changes
    // the value of most. Qt Quick's software renderer collects the places to repaint from
    // the topmost shape down, and merging hundreds of small cell shapes cost more than
    // painting them (30 of 45 ms per one-row scroll, 300 ms per inserted step). This frame
    // of a view, above its cells and drawn next to invisibly, is collected first when it
    // moves with a scroll or is touched after many cells changed: every cell then falls
    // inside one rectangle. It takes no input.
    component RepaintGuard: Rectangle {
        property Flickable view
        z: 2
        x: view.contentX
        y: view.contentY
        width: view.width
        height: view.height
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, (manyCellsChanged ? 2 : 1) / 255)
    }

    // Title of column columnOffset + column of the table.
    component ColumnTitle: Rectangle {
        objectName: "header"
        property int columnOffset: 0
        readonly property int headerColumn: columnOffset + column
        property bool inView: true
        TableView.onPooled: inView = false
        TableView.onReused: inView = true
        implicitHeight: 100
        color: "lightsteelblue"
        border.width: 1
        border.color: lastColumn_Color(headerColumn, "yellow", "lightgray")

        Text {
            objectName: "headerText"
            anchors.fill: parent
            anchors.margins: 2
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: headerColumn < columnList.length ? columnList[headerColumn].title : ""
            // Up to six stacked lines in a 100 px header and three digits in 25 px.
            font.pixelSize: titleFontSize(text, width, height)
        }
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            onDoubleClicked: messageDialog.open()
        }
    }

    // White under the rows, a thin frame, and the header colour past the last column.
    Rectangle {
        anchors.fill: parent
        color: "white"
        border.color: "#a0a0a0"
    }
    Rectangle {
        anchors.left: parent.left
        anchors.right: parent.right
        height: header.height
        color: "lightsteelblue"
    }

    QQC2.HorizontalHeaderView {
        id: fixedHeader
        objectName: "fixedHeader"
        syncView: stepColumns
        anchors.left: parent.left
        anchors.top: parent.top
        width: fixedWidth
        height: 100
        clip: true
        interactive: false
        delegate: ColumnTitle {}
    }

    QQC2.HorizontalHeaderView {
        id: header
        objectName: "tableHeader"
        syncView: cells
        anchors.left: fixedHeader.right
        anchors.right: parent.right
        anchors.top: parent.top
        height: 100
        clip: true
        interactive: false
        delegate: ColumnTitle {
            columnOffset: fixedColumns
        }
    }

    // Row colours lie under the cells of both views and reach past the last column: grey
    // rows, the play range in light blue with its two ends darker, the marked row red.
    Item {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        clip: true

        Item {
            id: rowLayer
            objectName: "rowLayer"
            y: -cells.contentY
            width: parent.width
            readonly property int low: Math.max(0, Math.min(playStart, playEnd))
            readonly property int high: Math.min(rowCount - 1, Math.max(playStart, playEnd))

            Rectangle {
                width: rowLayer.width
                height: cells.rowsHeight
                color: "lightgray"
            }
            Rectangle {
                objectName: "rangeShade"
                visible: rowLayer.high > rowLayer.low
                y: rowTop(rowLayer.low)
                width: rowLayer.width
                height: rowTop(rowLayer.high) + rowHeight(rowLayer.high) - y
                color: "lightblue"
            }
            Repeater {
                model: [playStart, playEnd]
                Rectangle {
                    visible: modelData >= 0 && modelData < rowCount
                    y: rowTop(modelData)
                    width: rowLayer.width
                    height: rowHeight(modelData)
                    color: "lightsteelblue"
                }
            }
            // The range as one bracket along the step numbers.
            Rectangle {
                objectName: "rangeBracket"
                visible: rowCount > 0 && rowLayer.high >= rowLayer.low
                y: rowTop(rowLayer.low) + 2
                width: 3
                height: rowTop(rowLayer.high) + rowHeight(rowLayer.high) - y - 2
                color: "steelblue"
            }
            Rectangle {
                objectName: "editRowMark"
                visible: markedRow >= 0
                y: rowTop(markedRow)
                width: rowLayer.width
                height: singleLineHeight
                color: "red"
            }
        }
    }

    // Step number, speed and fade: scrolled up and down with the channel view, never sideways.
    TableView {
        id: stepColumns
        objectName: "stepColumns"
        anchors.left: parent.left
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: fixedWidth
        clip: true
        reuseItems: true
        syncView: cells
        syncDirection: Qt.Vertical
        boundsBehavior: Flickable.StopAtBounds
        flickableDirection: Flickable.VerticalFlick
        model: StepView {
            id: stepNumbers
            source: dmx_list
            columns: Math.min(fixedColumns, columnList.length)
        }
        columnWidthProvider: columnWidth
        contentWidth: fixedWidth
        delegate: DmxTableItemDele {}

        RepaintGuard {
            view: stepColumns
        }
    }

    TableView {
        id: cells
        objectName: "cells"
        anchors.left: stepColumns.right
        anchors.right: parent.right
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: StepView {
            id: stepModel
            source: dmx_list
            firstColumn: fixedColumns
            columns: columnList.length - fixedColumns
            // A column either side, clear of rounding at the edges of the view.
            firstShown: columnAt(fixedWidth + cells.contentX) - fixedColumns - 1
            lastShown: columnAt(fixedWidth + cells.contentX + cells.width) - fixedColumns + 1
        }
        // All equally wide: the view places a column it jumps to by the mean width of those
        // it laid out last, which is then exact.
        columnWidthProvider: channelColumnWidth
        rowHeightProvider: rowHeight
        // Known up front: no estimate from the cells built so far. The view places a row it
        // jumps to by the content height over its row count, so the spare rows the view
        // model offers past the last step count in, and a negative margin keeps them out
        // of reach.
        contentWidth: Math.max(0, columnLeft(columnList.length) - fixedWidth)
        contentHeight: stepModel.offeredRows * singleLineHeight
        bottomMargin: (rowCount - stepModel.offeredRows) * singleLineHeight
        readonly property real rowsHeight: rowCount * singleLineHeight
        delegate: DmxTableItemDele {
            columnOffset: fixedColumns
        }
        // Removing steps leaves the view where it was; it keeps to the rows that are left.
        onRowsHeightChanged: {
            var bottom = Math.max(0, rowsHeight - height)
            if (contentY > bottom)
                contentY = bottom
        }

        QQC2.ScrollBar.horizontal: QQC2.ScrollBar { objectName: "hScroll" }
        QQC2.ScrollBar.vertical: QQC2.ScrollBar { objectName: "vScroll" }

        RepaintGuard {
            objectName: "repaintGuard"
            view: cells
        }
    }

    // Fader moves write into the marked row; without one they write nowhere.
    Rectangle {
        objectName: "noEditRow"
        visible: markedRow < 0
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 4
        width: noEditRowText.implicitWidth + 8
        height: noEditRowText.implicitHeight + 4
        color: "white"
        border.color: "red"
        Text {
            id: noEditRowText
            anchors.centerIn: parent
            text: qsTr("无编辑行：推子不写入任何步")
        }
    }

    // Value table of the projector's mode channel.
    MessageDialog {
        id: messageDialog
        objectName: "messageDialog"
        visible: false
        icon: StandardIcon.Information
        title: "string"
        text: ["",
            qsTr("0-10\t总闭光"),
            qsTr("11-40\t自走模式（2通道）\t内置效果列表"),
            qsTr("41-70\t声控模式（2通道）\t内置效果列表"),
            qsTr("71-110\tDMX通用模式（通道数由菜单决定）\t内置图形"),
            "111-130" + " ".repeat(29) + qsTr("SD卡：show1，在show/Param.csv设置"),
            " ".repeat(36) + qsTr("Rate: 0 – 40帧数/秒（循环播放时有效）"),
            "131-150" + " ".repeat(29) + qsTr("SD卡：show2，"),
            "151-170" + " ".repeat(29) + qsTr("SD卡：show3，"),
            "171-190" + " ".repeat(29) + qsTr("SD卡：show4，"),
            "191-210" + " ".repeat(29) + qsTr("SD卡：show5，"),
            "211-230" + " ".repeat(29) + qsTr("SD卡：show6，"),
            "231-250" + " ".repeat(29) + qsTr("SD卡：show7，"),
            "251-255" + " ".repeat(29) + qsTr("SD卡：Rate: 0，顺序循环播放所有的文件。"),
            ""].join("\n")
    }
}
