import QtQuick 2.15
import QtQuick.Controls 2.15 as QQC2
import QtQuick.Dialogs 1.3
import QtQml 2.15
import ov.qt.dmx 1.0

// The step table: step number, speed and fade, then one column per channel of every fixture
// added with the fixture bar, in patch order. Column index = cell index of the step row.
// Only the cells in view exist; they are reused while scrolling and across model resets.
// The first three columns stay in place while the channel columns scroll sideways, so a
// step keeps its number and times in view across hundreds of fixture columns.
Item {
    id: dimTableView

    // Channel count and column end of each fixture, and title and model role of each column
    // in column order: the core's fixture list.
    readonly property var typeArrary: dmx_list.fixtures.channelCounts
    readonly property var posArrary: dmx_list.fixtures.ends
    readonly property var columnList: dmx_list.fixtures.columns
    readonly property int columnCount: columnList.length
    readonly property int rowCount: stepModel.rows
    // The start of the play range before the last single click: the first click of a
    // double click must not move it.
    property int startBeforeClick: -1

    signal clicked(int row)
    signal doubleClicked(int row)

    // The marked row: the row fader moves and the value shortcuts write into, the core's
    // current row.
    readonly property QtObject selection: QtObject {
        readonly property int row: dmx_list.currentRow
        readonly property int count: row >= 0 ? 1 : 0
        function contains(r) { return r === row }
    }
    readonly property int markedRow: selection.row >= 0 && selection.row < rowCount ? selection.row : -1

    // Adds a fixture of the chooser's type, as one undo step; the core refuses an unknown
    // type, more than 30 fixtures and a fixture that would pass channel 512.
    function addDevice(type) {
        return Number.isInteger(type) && dmx_list.fixtures.add(type)
    }

    function deleteDevice() {
        return dmx_list.fixtures.removeLast()
    }


    function getColumn(column) {
        var c = columnList[column]
        return c ? { title: c.title, role: c.role, width: columnWidth(column) } : null
    }

    // The column geometry, in one place: the step number, speed and fade and each channel
    // column take their shares of the table's width, but never less than their widest number
    // needs at the window's normal text size, as the cells shrink their digits to fit.
    readonly property real stepColumnWidth: Math.max(tableWidth * 0.02,
                                                     numberWidth(String(Math.max(0, rowCount - 1)).length))
    readonly property real timeColumnWidth: Math.max(tableWidth * 0.04, numberWidth(String(timeMax).length))
    readonly property real minChannelWidth: numberWidth(String(dimMax).length)
    readonly property real channelWidth: Math.max(tableWidth * 0.025, minChannelWidth)
    // The width the user gave each channel column, kept per fixture kind (column_widths);
    // 0 where he gave none.
    readonly property var fixtureKinds: dmx_list.fixtures.types
    readonly property var keptWidths: column_widths.revision >= 0
                                      ? column_widths.widths(fixtureKinds, typeArrary) : []
    readonly property bool widened: keptWidths.some(function(w) { return w > 0 })
    // Left edge of every channel column from the first one's, and the end of the last: the
    // one sum every place and hit test follows. A column at its default width adds exactly
    // channelWidth, so without kept widths the columns lie where they always did.
    readonly property var channelEdges: {
        var edges = [0]
        var extra = 0
        for (var i = 0; i < keptWidths.length; ++i) {
            if (keptWidths[i] > 0)
                extra += Math.max(minChannelWidth, keptWidths[i]) - channelWidth
            edges.push((i + 1) * channelWidth + extra)
        }
        return edges
    }
    // The columns that stay in place; the channel view's column 0 is the next one.
    readonly property int fixedColumns: 3
    readonly property real fixedWidth: stepColumnWidth + 2 * timeColumnWidth

    // The width at which a cell draws as many digits at the normal text size (the cell's
    // face gives a digit 0.66 of its size and keeps 6 px clear of its borders).
    function numberWidth(digits) {
        return Math.ceil(6 + digits * 0.66 * normalTextSize)
    }

    function columnWidth(column) {
        if (column < fixedColumns)
            return column < 1 ? stepColumnWidth : timeColumnWidth
        var kept = keptWidths[column - fixedColumns]
        return kept > 0 ? Math.max(minChannelWidth, kept) : channelWidth
    }

    // Left edge of a channel column from the first channel column's; past the last, the
    // columns a view may ask for go on at the default width.
    function channelLeft(channelColumn) {
        var last = channelEdges.length - 1
        return channelColumn <= last ? channelEdges[channelColumn]
                                     : channelEdges[last] + (channelColumn - last) * channelWidth
    }

    function channelColumnWidth(column) {
        return columnWidth(fixedColumns + column)
    }

    // A stacked title's widest line and its height, in units of its font size, worked out
    // from its characters rather than by trial layouts, which would cost every header
    // rebuild: a line with Chinese characters takes the taller spacing of their font.
    function titleMeasure(title) {
        var lines = title.split("\n")
        var widest = 0
        var tall = 0
        for (var i = 0; i < lines.length; ++i) {
            var em = 0
            var wide = false
            for (var k = 0; k < lines[i].length; ++k) {
                wide = wide || lines[i].charCodeAt(k) > 0x2e80
                em += lines[i].charCodeAt(k) > 0x2e80 ? 1 : 0.62
            }
            widest = Math.max(widest, em)
            tall += wide ? 1.52 : 1.35
        }
        return { widest: widest, tall: tall }
    }

    // The largest size up to 13 px, and not below the normal text size, at which a stacked
    // title fits its header. What is still too wide wraps.
    function titleFontSize(title, width, height) {
        var m = titleMeasure(title)
        var size = Math.min(13, height / m.tall, m.widest > 0 ? width / m.widest : 13)
        return Math.max(normalTextSize, Math.floor(size))
    }

    // Lines closer together where a title has more of them than fit at the normal size.
    function titleLineHeight(title, size, height) {
        return Math.max(0.8, Math.min(1, height / (size * titleMeasure(title).tall)))
    }

    // The column at x as if the table did not scroll.
    function columnAt(x) {
        if (x < fixedWidth)
            return x < stepColumnWidth ? 0 : x < stepColumnWidth + timeColumnWidth ? 1 : 2
        var at = x - fixedWidth
        var last = channelEdges.length - 1
        if (!widened || at >= channelEdges[last])
            return fixedColumns + (widened ? last + Math.floor((at - channelEdges[last]) / channelWidth)
                                           : Math.floor(at / channelWidth))
        var low = 0
        var high = last
        while (high - low > 1) {
            var middle = (low + high) >> 1
            if (channelEdges[middle] <= at)
                low = middle
            else
                high = middle
        }
        return fixedColumns + low
    }

    // Left edge of a column as if the table did not scroll.
    function columnLeft(column) {
        return column < 1 ? 0 : column < fixedColumns ? stepColumnWidth + timeColumnWidth * (column - 1)
                                                      : fixedWidth + channelLeft(column - fixedColumns)
    }

    // Scrolls the channel view sideways by the least distance that shows the column whole.
    function showColumn(column) {
        if (column < fixedColumns || column >= columnCount)
            return
        var left = columnLeft(column) - fixedWidth
        if (left < cells.contentX)
            moveChannels(left)
        else if (left + columnWidth(column) > cells.contentX + cells.width)
            moveChannels(Math.min(left + columnWidth(column) - cells.width, cells.contentWidth - cells.width))
    }

    // Moves the channel view sideways to x. A view that jumps more than a page places the
    // columns it lands on by their mean width, off once the user widened some; moved in
    // steps of less than a page, it places each column after its neighbour, exactly.
    function moveChannels(x) {
        x = Math.max(cells.originX, Math.min(x, cells.originX + cells.contentWidth - cells.width))
        var step = Math.max(1, cells.width * 0.9)
        while (widened && Math.abs(x - cells.contentX) > step)
            cells.contentX += x > cells.contentX ? step : -step
        cells.contentX = x
    }

    // Opens the editor of a cell, its row and column scrolled into view first: Tab and
    // Shift+Tab in an editor go on to the next or previous value of the row.
    function editCell(row, column) {
        if (row < 0 || row >= rowCount || column < 1 || column >= columnCount)
            return false
        showColumn(column)
        positionViewAtRow(row, ListView.Contain)
        var view = column < fixedColumns ? stepColumns : cells
        view.forceLayout()
        var kids = view.contentItem.children
        for (var i = 0; i < kids.length; ++i) {
            var c = kids[i]
            if (c.objectName === "cell" && c.inView && c.modelRow === row && c.modelColumn === column) {
                c.startEdit(c.width / 2)
                return true
            }
        }
        return false
    }

    // Moves a view sideways by whole columns of the given width, within its content.
    function scrollColumns(view, columns, step) {
        var end = Math.max(view.originX, view.originX + view.contentWidth - view.width)
        var x = Math.max(view.originX, Math.min(end, view.contentX + columns * step))
        if (view === cells)
            moveChannels(x)
        else
            view.contentX = x
    }

    // A notch of the wheel (120) is three columns; turned away, it goes left.
    function scrollSideways(view, angle, step) {
        scrollColumns(view, -3 * angle / 120, step)
    }

    function stepSideways(columns) {
        scrollColumns(cells, columns, channelWidth)
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
        var low = dmx_list.rangeFirst
        var high = dmx_list.rangeLast
        if (low >= 0 && (row === low || row === high))
            return "lightsteelblue"
        return low < row && row < high ? "lightblue" : "lightgray"
    }

    // Leaves a row in view where it is. Otherwise scrolls the least distance that shows it
    // whole, or with ListView.Beginning puts it at the top, so that rows played in order stay
    // in view for a whole page before the table moves again.
    function positionViewAtRow(row, mode) {
        if (row < 0 || row >= rowCount)
            return
        var top = rowTop(row)
        var bottom = top + rowHeight(row)
        if (top >= cells.contentY && bottom <= cells.contentY + cells.height)
            return
        if (mode === ListView.Beginning)
            cells.contentY = Math.max(0, Math.min(top, cells.rowsHeight - cells.height))
        else if (top < cells.contentY)
            cells.contentY = top
        else
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


    // The channel columns need more room than the view has: the scroll bar shows below them.
    readonly property bool columnsOverflow: cells.contentWidth > cells.width
    readonly property real sideBarHeight: columnsOverflow ? hScrollBar.height : 0

    // Views and titles place their columns again when a width changes.
    readonly property string columnWidths: [stepColumnWidth, timeColumnWidth, channelWidth,
                                            minChannelWidth].join() + "|" + keptWidths.join()
    onColumnWidthsChanged: {
        for (var v of [fixedHeader, header, stepColumns, cells])
            v.forceLayout()
    }

    // Cells count their value changes here; past a few rows' worth before the next frame,
    // the table area is repainted as a whole (see RepaintGuard).
    property bool manyCellsChanged: false

    // Stores a value still being typed, before something else takes the table over.
    function finishEditing() {
        for (var v of [stepColumns, cells]) {
            var kids = v.contentItem.children
            for (var i = 0; i < kids.length; ++i) {
                if (kids[i].editing)
                    kids[i].finishEdit()
            }
        }
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

    // The model of the fixture a channel column belongs to, for a fixture from a definition.
    readonly property var modelNames: dmx_list.fixtures.modelNames
    readonly property real modelBandHeight: 18
    function modelAbove(column) {
        for (var f = 0; f < posArrary.length; ++f) {
            if (column < posArrary[f])
                return column >= posArrary[f] - typeArrary[f] && modelNames[f] ? modelNames[f] : ""
        }
        return ""
    }

    // Shift+wheel moves the channels sideways; a plain wheel goes on to the view below.
    function sideWheel(wheel) {
        if (!(wheel.modifiers & Qt.ShiftModifier)) {
            wheel.accepted = false
            return
        }
        scrollSideways(cells, wheel.angleDelta.y !== 0 ? wheel.angleDelta.y : wheel.angleDelta.x,
                       channelWidth)
    }

    // Title of column columnOffset + index of the table; a header of its own model counts its
    // columns by index.
    component ColumnTitle: Rectangle {
        id: columnTitle
        objectName: "header"
        property int columnOffset: 0
        readonly property int headerColumn: columnOffset + index
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
            // Below the model's name, for a fixture from a definition.
            anchors.topMargin: 2 + (modelAbove(headerColumn) !== "" ? modelBandHeight : 0)
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
            text: headerColumn < columnList.length ? columnList[headerColumn].title : ""
            // Up to six stacked lines in a 100 px header; a long name wraps inside its
            // column, and the end of what still does not fit gives way to an ellipsis.
            font.pixelSize: titleFontSize(text, width, height)
            lineHeight: titleLineHeight(text, font.pixelSize, height)
            wrapMode: Text.Wrap
            elide: Text.ElideRight
        }
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.LeftButton | Qt.RightButton
            // The generators' menu waits out a double click, which shows the information.
            onClicked: if (mouse.button === Qt.RightButton) effectMenuDelay.restart()
            onDoubleClicked: {
                effectMenuDelay.stop()
                columnInformation.dialog().open()
            }
        }
        Timer {
            id: effectMenuDelay
            interval: Qt.styleHints.mouseDoubleClickInterval
            onTriggered: effectMenu.openFor(headerColumn, columnTitle, 0, columnTitle.height)
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

    // The column titles follow the views sideways only. Synced to a view, a header is built
    // again with it whenever the view jumps, and while the table follows playback it jumps a
    // page at a time; on its own, with the same widths, it places its columns as the view.
    QQC2.HorizontalHeaderView {
        id: fixedHeader
        objectName: "fixedHeader"
        model: Math.min(fixedColumns, columnList.length)
        columnWidthProvider: columnWidth
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
        model: Math.max(0, columnList.length - fixedColumns)
        columnWidthProvider: channelColumnWidth
        contentWidth: cells.contentWidth
        anchors.left: fixedHeader.right
        anchors.right: parent.right
        anchors.top: parent.top
        height: 100
        clip: true
        interactive: false
        delegate: ColumnTitle {
            columnOffset: fixedColumns
        }
        // Kept with the view by assignment: a binding would be dropped the first time the
        // header moved itself, as a view does when its columns change.
        Connections {
            target: cells
            function onContentXChanged() {
                header.contentX = cells.contentX
            }
        }
        Component.onCompleted: contentX = cells.contentX
    }

    // Each fixture from a definition names its model once, above its columns.
    Item {
        objectName: "modelBands"
        anchors.fill: header
        clip: true

        Repeater {
            model: modelNames.length
            Rectangle {
                objectName: "modelBand"
                readonly property int firstColumn: posArrary[index] - typeArrary[index]
                visible: modelNames[index] !== ""
                x: columnLeft(firstColumn) - fixedWidth - header.contentX
                width: columnLeft(posArrary[index]) - columnLeft(firstColumn)
                height: modelBandHeight
                color: "#9fb6d6"
                border.color: "lightgray"
                Text {
                    objectName: "modelName"
                    anchors.fill: parent
                    anchors.leftMargin: 3
                    anchors.rightMargin: 3
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                    font.pixelSize: 13
                    text: modelNames[index]
                }
            }
        }
    }

    // The fixture a column belongs to, or -1.
    function fixtureOf(column) {
        for (var f = 0; f < posArrary.length; ++f) {
            if (column < posArrary[f])
                return column >= posArrary[f] - typeArrary[f] ? f : -1
        }
        return -1
    }

    // The columns whose width a grip at x, y over the titles changes: the right edge of a
    // channel title (its line and a few pixels right of it) changes that column, the end of
    // a model's band all the fixture's columns. Null elsewhere.
    function gripAt(x, y) {
        var at = x + cells.contentX
        var next = columnAt(at + 1)
        var left = columnLeft(next)
        var column = next - 1
        if (x < fixedWidth || at + 1 - left >= 5 || left - cells.contentX <= fixedWidth
                || column < fixedColumns || column >= columnCount)
            return null
        var f = fixtureOf(column)
        if (y >= modelBandHeight || modelAbove(column) === "")
            return { first: column, last: column, fixture: f }
        return column === posArrary[f] - 1 ? { first: posArrary[f] - typeArrary[f], last: column, fixture: f }
                                           : null
    }

    // A title as wide as it needs to show whole, at the size its header's height allows.
    function titleFit(column) {
        var title = columnList[column].title
        var height = header.height - 4 - (modelAbove(column) !== "" ? modelBandHeight : 0)
        var m = titleMeasure(title)
        titleMetrics.font.pixelSize = Math.max(normalTextSize, Math.floor(Math.min(13, height / m.tall)))
        var widest = m.widest * titleMetrics.font.pixelSize
        for (var line of title.split("\n")) {
            titleMetrics.text = line
            widest = Math.max(widest, titleMetrics.advanceWidth)
        }
        return Math.max(minChannelWidth, Math.ceil(widest + 6))
    }
    TextMetrics {
        id: titleMetrics
    }

    // Keeps the widths of a grip's columns, each by its fixture's kind and channel.
    function keepWidths(grip, widths) {
        var first = posArrary[grip.fixture] - typeArrary[grip.fixture]
        if (grip.first === grip.last)
            column_widths.setWidth(fixtureKinds[grip.fixture], grip.first - first, widths[0])
        else
            column_widths.setWidths(fixtureKinds[grip.fixture], widths)
    }

    // The whole name of the channel title under the pointer: one watch over the titles, as
    // over the cells, rather than a hover area in every title. The wheel over the titles
    // moves the channels sideways with Shift. Dragging a title's right edge sets its column's
    // width, a double click there fits it to its title; the end of a model's band does the
    // same for all the fixture's columns. Other presses go on to the titles.
    MouseArea {
        id: titleWatch
        objectName: "titleWatch"
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        height: header.height
        acceptedButtons: Qt.LeftButton
        hoverEnabled: true
        readonly property int column: containsMouse && mouseX >= fixedWidth
                                      ? columnAt(mouseX + cells.contentX) : -1
        // The grip being dragged, the pointer's x and the columns' widths at its press.
        property var grip: null
        property real pressX: 0
        property var pressWidths: []
        cursorShape: grip || (containsMouse && gripAt(mouseX, mouseY)) ? Qt.SplitHCursor : Qt.ArrowCursor

        function widthsOf(g) {
            var widths = []
            for (var c = g.first; c <= g.last; ++c)
                widths.push(columnWidth(c))
            return widths
        }
        onPressed: {
            grip = gripAt(mouse.x, mouse.y)
            mouse.accepted = grip !== null
            pressX = mouse.x
            pressWidths = grip ? widthsOf(grip) : []
        }
        onPositionChanged: {
            if (!grip || !pressed)
                return
            var total = pressWidths.reduce(function(a, b) { return a + b }, 0)
            var scale = Math.max(0, total + mouse.x - pressX) / total
            keepWidths(grip, pressWidths.map(function(w) {
                return Math.max(minChannelWidth, Math.round(w * scale))
            }))
        }
        onReleased: grip = null
        onDoubleClicked: {
            var g = gripAt(mouse.x, mouse.y)
            if (!g) {
                mouse.accepted = false
                return
            }
            var widths = []
            for (var c = g.first; c <= g.last; ++c)
                widths.push(titleFit(c))
            keepWidths(g, widths)
        }
        onWheel: sideWheel(wheel)

        QQC2.ToolTip {
            id: titleTip
            objectName: "titleTip"
            readonly property string name: titleWatch.column >= fixedColumns && titleWatch.column < columnCount
                                           ? dmx_list.fixtures.channelName(titleWatch.column - 2) : ""
            x: Math.max(0, columnLeft(titleWatch.column) - cells.contentX)
            y: header.height
            delay: 300
            text: name
            visible: name !== ""
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
            // The rows the range covers: what "删除", copy and cut act on.
            readonly property int low: dmx_list.rangeFirst
            readonly property int high: dmx_list.rangeLast
            // The software renderer leaves the old place of a large shape that moves and
            // resizes under the cells unpainted now and then: a new range or red row repaints
            // the views as a whole, as a scroll does.
            readonly property string look: [low, high, markedRow, rowCount].join()
            onLookChanged: dimTableView.manyCellsChanged = !dimTableView.manyCellsChanged

            Rectangle {
                width: rowLayer.width
                height: cells.rowsHeight
                color: "lightgray"
            }
            Rectangle {
                objectName: "rangeShade"
                visible: rowLayer.low >= 0 && rowLayer.high > rowLayer.low
                y: rowTop(rowLayer.low)
                width: rowLayer.width
                height: rowTop(rowLayer.high) + rowHeight(rowLayer.high) - y
                color: "lightblue"
            }
            Repeater {
                model: [rowLayer.low, rowLayer.high]
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
                visible: rowLayer.low >= 0 && rowLayer.low < rowCount
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
        anchors.bottomMargin: sideBarHeight
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
            onManyCellsChanged: dimTableView.manyCellsChanged = !dimTableView.manyCellsChanged
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
        anchors.bottomMargin: sideBarHeight
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
            onManyCellsChanged: dimTableView.manyCellsChanged = !dimTableView.manyCellsChanged
        }
        // Equally wide until the user widens some: the view places a column it jumps to by
        // the mean width of those it laid out last, which is then exact.
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
            channelView: true
        }
        // Removing steps leaves the view where it was; it keeps to the rows that are left.
        onRowsHeightChanged: {
            var bottom = Math.max(0, rowsHeight - height)
            if (contentY > bottom)
                contentY = bottom
        }

        // Shown whenever the columns do not all fit, so that the later ones are seen to be
        // there; below the rows rather than over the last one. Not attached to the view: a
        // drag moves the view through moveChannels.
        QQC2.ScrollBar {
            id: hScrollBar
            objectName: "hScroll"
            parent: dimTableView
            x: cells.x
            y: cells.y + cells.height
            width: cells.width
            orientation: Qt.Horizontal
            visible: columnsOverflow
            policy: QQC2.ScrollBar.AlwaysOn
            size: cells.contentWidth > 0 ? Math.min(1, cells.width / cells.contentWidth) : 1
            Binding on position {
                when: !hScrollBar.pressed
                restoreMode: Binding.RestoreNone
                value: cells.contentWidth > 0 ? (cells.contentX - cells.originX) / cells.contentWidth : 0
            }
            onPositionChanged: if (pressed) moveChannels(cells.originX + position * cells.contentWidth)
        }
        QQC2.ScrollBar.vertical: QQC2.ScrollBar { id: vScrollBar; objectName: "vScroll" }

        RepaintGuard {
            objectName: "repaintGuard"
            view: cells
        }
    }

    // The channel cell under the pointer, for its tooltip: one watch over the channel view
    // rather than a hover area in every cell, as the window sends a hover through every
    // hover-enabled item at each frame in which items moved, and while the table follows
    // playback that is most frames. It leaves the scroll bars their own hover.
    MouseArea {
        id: hoverWatch
        objectName: "hoverWatch"
        anchors.fill: cells
        anchors.rightMargin: vScrollBar.width
        acceptedButtons: Qt.NoButton
        hoverEnabled: true
        property Item cell: null

        function holds(item, at) {
            return item !== null && item.inView && item.visible && at.x >= item.x
                    && at.x < item.x + item.width && at.y >= item.y && at.y < item.y + item.height
        }
        function cellAt(x, y) {
            var at = mapToItem(cells.contentItem, x, y)
            if (holds(cell, at))
                return cell
            var kids = cells.contentItem.children
            for (var i = 0; i < kids.length; ++i) {
                if (kids[i].objectName === "cell" && holds(kids[i], at))
                    return kids[i]
            }
            return null
        }
        function point(item) {
            if (item === cell)
                return
            if (cell !== null)
                cell.hovered = false
            cell = item
            if (item !== null)
                item.hovered = true
        }
        onWheel: sideWheel(wheel)
        onEntered: point(cellAt(mouseX, mouseY))
        onPositionChanged: point(cellAt(mouse.x, mouse.y))
        onExited: point(null)
    }

    // Shift+wheel over the step numbers, speed and fade moves the channels too.
    MouseArea {
        anchors.fill: stepColumns
        acceptedButtons: Qt.NoButton
        onWheel: sideWheel(wheel)
    }

    // Fader moves write into the marked row; without one they write nowhere.
    Rectangle {
        objectName: "noEditRow"
        visible: markedRow < 0
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.margins: 4
        anchors.bottomMargin: 4 + sideBarHeight
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
    LazyDialog {
        id: columnInformation
        objectName: "columnInformation"
        sourceComponent: MessageDialog {
            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
            id: messageDialog
            objectName: "messageDialog"
            visible: false
            icon: StandardIcon.Information
            title: qsTr("模式通道的数值")
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
}
