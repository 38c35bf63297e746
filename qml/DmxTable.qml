import QtQuick 2.10
import QtQuick.Controls 1.6
import QtQuick.Dialogs 1.3

// The step table: step number, speed and fade, then one column per channel of every fixture
// added with the fixture bar, in patch order. Column index = cell index of the step row.
TableView {
    id: dimTableView

    property var typeArrary: []
    property var posArrary: []
    property var chUser

    // Header labels of each fixture type, channel 1 first; the index is the chooser's type.
    readonly property var fixtureTypes: [
        // 0: Type 01 (33ch), 33 channels
        ["模\n式", "组", "文\n件,\n场\n景", "图\n形", "大\n小\nx", "大\n小\ny", "旋\n转\nx", "旋\n转\ny", "位\n置\nx",
         "位\n置\ny", "显\n点", "颜\n色", "渐\n绘", "渐\n绘\n颜\n色", "波\n浪\n", "波\n浪\n参\n数", "红", "绿", "蓝",
         "微\n位\n置\nx", "微\n位\n置\ny", "频\n闪", "电\n机\nA", "电\n机\nA", "缩\n放\n位\n置\nx", "缩\n放\n位\n置\ny",
         "旋\n转\n位\n置\nx", "旋\n转\n位\n置\ny", "翻\n转\nx", "翻\n转\ny", "分\n图\nx", "分\n图\nx", "阵\n列"],
        // 1: Type 02, 25 channels
        ["模\n式", "图\n形", "文\n件\n场\n景", "组", "声\n控\n自\n走", "颜\n色\nin", "颜\n色\n下\n标", "颜\n色\nout",
         "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "大\n小\n", "旋\n转\n", "翻\n转\nx",
         "翻\n转\ny", "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点", "频\n闪", "阵\n列", "红", "绿", "蓝"],
        // 2: Type 03 (20ch, 6ch), 20 channels
        ["光\n闸", "模\n式", "图\n形", "频\n闪", "颜\n色", "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny",
         "自\n动\n位\n置\ny", "缩\n放", "翻\n转\nx", "翻\n转\ny", "旋\n转", "渐\n绘", "波\n浪\nX", "波\n浪\nY",
         "显\n点", "红", "绿", "蓝"],
        // 3: Type 04 (17ch), 17 channels
        ["模\n式", "图\n形\n/\n组", "频\n闪\n/\n文\n件", "颜\n色", "显\n点", "位\n置\nx", "位\n置\ny", "缩\n放",
         "翻\n转\nx", "翻\n转\ny", "旋\n转", "渐\n绘", "波\n浪\nX", "波\n浪\nY", "红", "绿", "蓝"],
        // 4: Type 05 (16ch), 16 channels
        ["模\n式", "列\n表", "图\n形", "位\n置\nx", "位\n置\ny", "缩\n放\n", "翻\n转\nx", "翻\n转\ny", "旋\n转",
         "渐\n绘", "波\n浪\nX", "点\n线\n模\n式", "颜\n色", "红", "绿", "蓝"],
        // 5: Type 06 (12ch), 12 channels
        ["模\n式", "颜\n色", "图\n形", "位\n置\nx", "位\n置\ny", "旋\n转\nx", "旋\n转\ny", "旋\n转", "缩\n放",
         "大\n小\n", "显\n点", "渐\n绘"],
        // 6: Type 07 (16ch), 16 channels
        ["操\n控\n范\n围", "页", "标\n记", "速\n度\n", "亮\n度\n", "缩\n放\n", "大\n小\nx", "大\n小\ny", "角\n度\nz",
         "位\n置\nx", "位\n置\ny", "显\n点", "扫\n描\n速\n度", "发\n布", "颜\n色", "保\n留"],
        // 7: Type 08 (18ch), 18 channels
        ["总\n调\n光", "红", "绿", "蓝", "位\n置\nx", "微\n置\nx", "位\n置\ny", "微\n置\ny", "图\n形", "大\n小",
         "频\n闪", "中\n心\n旋\n转", "颜\n色", "渐\n绘", "渐\n绘\n颜\n色", "波\n浪\nx", "波\n浪\ny", "显\n点"],
        // 8: Type 09 (15ch), 15 channels
        ["模\n式", "图\n形", "大\n小\nx", "大\n小\ny", "旋\n转\nx", "旋\n转\ny", "位\n置\nx", "位\n置\ny", "显\n点",
         "颜\n色", "渐\n绘", "渐\n绘\n颜\n色", "波\n浪\n", "波\n浪\n参\n数", "频\n闪"],
        // 9: Type 10 (16ch), 16 channels
        ["模\n式", "图\n形", "大\n小\nx", "大\n小\ny", "旋\n转\nx", "旋\n转\ny", "位\n置\nx", "位\n置\ny", "显\n点",
         "颜\n色", "渐\n绘", "渐\n绘\n颜\n色", "波\n浪\n", "波\n浪\n参\n数", "频\n闪", "光\n栅\n电\n机"],
        // 10: Type 11 (10ch), 10 channels
        ["红", "绿", "蓝", "位\n置\nx", "微\n置\nx", "位\n置\ny", "微\n置\ny", "图\n形", "大\n小", "频\n闪\n渐\n绘"],
        // 11: Type 12 (10ch), 12 channels
        ["模\n式", "图\n形", "位\n置\nx", "位\n置\ny", "缩\n放\n", "翻\n转\nx", "翻\n转\ny", "旋\n转", "点\n线\n模\n式",
         "颜\n色", "显\n点", "扫\n描\n速\n度"],
        // 12: Type 13 (5ch), 5 channels
        ["加\n热", "喷\n花", "x\n轴", "y\n轴", "速\n度"],
        // 13: Type 14 (14ch), 14 channels
        ["模\n式", "图\n形", "旋\n转", "翻\n转\nx", "翻\n转\ny", "位\n置\nx", "位\n置\ny", "缩\n放\nx", "缩\n放\ny",
         "渐\n绘", "显\n点", "颜\n色", "颜\n色\n速\n度", "光\n栅\n"],
        // 14: Type 15 (22ch), 23 channels
        ["模\n式", "模\n式", "组", "文\n件,\n场\n景", "图\n形", "大\n小\nx", "大\n小\ny", "位\n置\nx",
         "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "旋\n转\nx", "旋\n转\ny", "颜\n色", "渐\n绘",
         "渐\n绘\n颜\n色", "波\n浪\nX", "波\n浪\nY", "显\n点", "频\n闪", "红", "绿", "蓝"],
        // 15: Type 16, 25 channels
        ["模\n式", "模\n式", "组", "文\n件,\n场\n景", "图\n形", "颜\n色\nin", "颜\n色\n下\n标", "颜\n色\nout",
         "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "大\n小\n", "旋\n转\n", "翻\n转\nx",
         "翻\n转\ny", "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点", "频\n闪", "阵\n列", "红", "绿", "蓝"],
        // 16: Type 17 (18ch), 18 channels
        ["总\n调\n光", "模\n式", "图\n形\n/\n组", "频\n闪\n/\n文\n件", "颜\n色", "显\n点", "位\n置\nx", "位\n置\ny",
         "缩\n放", "翻\n转\nx", "翻\n转\ny", "旋\n转", "渐\n绘", "波\n浪\nX", "波\n浪\nY", "红", "绿", "蓝"],
        // 17: Type 18, 26 channels
        ["总\n调\n光", "模\n式", "图\n形", "文\n件\n场\n景", "组", "声\n控\n自\n走", "颜\n色\nin", "颜\n色\n下\n标",
         "颜\n色\nout", "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "大\n小\n", "旋\n转\n",
         "翻\n转\nx", "翻\n转\ny", "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点", "频\n闪", "阵\n列", "红", "绿",
         "蓝"],
        // 18: Type 19, 27 channels
        ["透\n明\n度", "模\n式", "图\n形", "文\n件\n场\n景", "组", "声\n控\n自\n走", "颜\n色\nin", "颜\n色\n下\n标",
         "颜\n色\nout", "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "大\n小\n", "旋\n转\n",
         "翻\n转\nx", "翻\n转\ny", "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点", "频\n闪", "阵\n列",
         "边\n界\n/\n柔\n顺", "红", "绿", "蓝"],
        // 19: Type 20, 20 channels
        ["总\n调\n光", "模\n式", "图\n形\n/\n组", "频\n闪\n/\n文\n件", "颜\n色", "显\n点", "位\n置\nx", "位\n置\ny",
         "缩\n放", "翻\n转\nx", "翻\n转\ny", "旋\n转", "渐\n绘", "波\n浪\nX", "波\n浪\nY", "阵\n列",
         "边\n界\n/\n柔\n顺", "红", "绿", "蓝"],
        // 20: Type 21 (25ch), 25 channels
        ["透\n明\n度", "模\n式", "图\n形", "自\n走\n速\n度", "颜\n色\nin", "颜\n色\n下\n标", "颜\n色\nout", "位\n置\nx",
         "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "大\n小\n", "旋\n转\n", "翻\n转\nx", "翻\n转\ny",
         "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点", "频\n闪", "阵\n列", "边\n界\n/\n柔\n顺", "红", "绿", "蓝"],
        // 21: Type 22 (14ch), 14 channels
        ["模\n式", "图\n形", "大\n小\nx", "大\n小\ny", "旋\n转\nx", "旋\n转\ny", "位\n置\nx", "位\n置\ny", "显\n点",
         "颜\n色", "渐\n绘", "波\n浪\nx", "波\n浪\ny", "频\n闪"],
        // 22: Type 23 (15ch), 15 channels
        ["模\n式", "图\n形", "大\n小\nx", "大\n小\ny", "旋\n转\nx", "旋\n转\ny", "位\n置\nx", "位\n置\ny", "显\n点",
         "颜\n色", "渐\n绘", "波\n浪\nx", "波\n浪\ny", "频\n闪", "边\n界\n/\n柔\n顺"],
        // 23: Type 24 (22ch), 22 channels
        ["光\n闸", "模\n式", "图\n形", "大\n小\nx", "大\n小\ny", "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny",
         "自\n动\n位\n置\ny", "旋\n转\nx", "旋\n转\ny", "颜\n色\nin", "颜\n色\n下\n标", "颜\n色\nout", "波\n浪\nX",
         "波\n浪\nY", "显\n点", "频\n闪", "红", "绿", "蓝", "光\n栅\n电\n机"],
        // 24: Type 25 (27ch), 27 channels
        ["模\n式", "透\n明\n度", "红", "绿", "蓝", "组", "图\n形", "位\n置\nx", "微\n位\n置\nx", "位\n置\ny",
         "微\n位\n置\ny", "旋\n转\n", "微\n旋\n转\n", "缩\n放\n", "翻\n转\nx", "翻\n转\ny", "颜\n色\nin", "渐\n绘",
         "变\n形\n宏", "波\n浪\n", "渐\n绘\n频\n闪", "位\n置\nx\n宏", "位\n置\ny\n宏", "旋\n转\n宏", "缩\n放\n宏",
         "翻\n转\nx\n宏", "翻\n转\ny\n宏"],
        // 25: Type 26 (17ch), 17 channels
        ["透\n明\n度", "红", "绿", "蓝", "频\n闪", "模\n式", "图\n形", "速\n度", "颜\n色\n", "移\n动\nx", "移\n动\ny",
         "翻\n转\nx", "翻\n转\ny", "旋\n转\n", "缩\n放\n", "显\n点", "渐\n绘"],
        // 26: Type 27 (24ch), 24 channels
        ["透\n明\n度", "红", "绿", "蓝", "频\n闪", "模\n式", "图\n形", "速\n度", "颜\n色\nin", "颜\n色\n下\n标",
         "颜\n色\nout", "位\n置\nx", "自\n动\n位\n置\nx", "位\n置\ny", "自\n动\n位\n置\ny", "边\n界\n/\n柔\n顺",
         "大\n小\n", "旋\n转\n", "翻\n转\nx", "翻\n转\ny", "波\n浪\nX", "波\n浪\nY", "波\n浪\n参\n数", "显\n点"]
    ]

    model: dmx_list
    headerDelegate: headerDele
    rowDelegate: rowDele
    itemDelegate: DmxTableItemDele {}

    // Every row holds one cell per column, up to 515, and every model reset (one per fader
    // move) rebinds all of them. This lighter stand-in for the toolkit's cell loader offers
    // the same names to the cell delegates but builds and binds only the cells of columns
    // near the view; the others stay empty until the table is scrolled to them.
    __itemDelegateLoader: Loader {
        id: cellLoader

        property int __index: index
        property Item __rowItem: null
        property TableViewColumn __column: null
        readonly property bool shown: __column !== null && __rowItem !== null
                                      && dimTableView.columnShown(__index)

        width: __column ? __column.width : 0
        height: parent ? parent.height : 0
        // Hidden, an unbuilt cell also stays out of the scene graph walked on every frame.
        visible: shown && __column.visible
        // Not tied to the row's model: a recycled row briefly has none, and the cells would
        // be rebuilt on every reset instead of just reading the new values.
        active: shown
        sourceComponent: __column && __column.delegate ? __column.delegate : itemDelegate

        readonly property var model: shown ? __rowItem.itemModel : undefined
        readonly property var modelData: shown ? __rowItem.itemModelData : undefined

        property QtObject styleData: QtObject {
            readonly property int row: cellLoader.shown ? cellLoader.__rowItem.rowIndex : -1
            readonly property int column: cellLoader.__index
            readonly property bool selected: cellLoader.shown && cellLoader.__rowItem.itemSelected
            readonly property string role: cellLoader.__column ? cellLoader.__column.role : ""
            readonly property var value: cellLoader.model && cellLoader.model.hasOwnProperty(role)
                                         ? cellLoader.model[role] : ""
        }
    }

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
        // New arrays rather than push, so the border bindings see the change.
        posArrary = posArrary.concat([posCount])
        typeArrary = typeArrary.concat([n])
        for (var i = 0; i < n; ++i) {
            var k = columnCount - 2
            var label = chUser[i] === "" ? "ch" : qsTr(chUser[i])
            addColumn(columnComponent.createObject(dimTableView, {
                title: label + "\n" + k,
                role: "channel" + k
            }))
        }
    }

    function deleteDevice() {
        if (typeArrary.length === 0)
            return
        var n = typeArrary[typeArrary.length - 1]
        typeArrary = typeArrary.slice(0, -1)
        posCount = posArrary[posArrary.length - 1]
        posArrary = posArrary.slice(0, -1)
        dmx_list.delete_light_fix(posArrary.length)
        for (var i = 0; i < n && columnCount > initChCount; ++i)
            removeColumn(columnCount - 1)
    }

    function lastFixtureEnd() {
        return posArrary.length > 0 ? posArrary[posArrary.length - 1] : initChCount
    }

    function updateColumnTable() {
        addColumn(idComponent.createObject(dimTableView, { title: qsTr("序\n号"), role: "c_id" }))
        var speed = columnComponent.createObject(dimTableView, {
            title: qsTr("速度\n x\n0.1秒"),
            role: "speed"
        })
        speed.width = Qt.binding(function() { return tableWidth * 0.04 })
        addColumn(speed)
        var fade = columnComponent.createObject(dimTableView, {
            title: qsTr("渐变\n x\n0.1秒"),
            role: "fade"
        })
        fade.width = Qt.binding(function() { return tableWidth * 0.04 })
        addColumn(fade)
    }

    // Horizontal extent that cells are built for: the visible part and a few columns either
    // side. Everything built is also painted on each frame, clipped or not.
    readonly property real drawnLeft: flickableItem.contentX - tableWidth * 0.1
    readonly property real drawnRight: flickableItem.contentX + viewport.width + tableWidth * 0.1

    // Columns cannot be moved or resized, so a column's place follows from its index.
    function columnShown(column) {
        var left = column < 1 ? 0 : column < 3 ? tableWidth * (0.02 + 0.04 * (column - 1))
                                               : tableWidth * (0.1 + 0.025 * (column - 3))
        return left + tableWidth * 0.04 > drawnLeft && left < drawnRight
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

    Component.onCompleted: {
        // Rows just out of view would be rebuilt on every reset too.
        __listView.cacheBuffer = 0
        updateColumnTable()
    }

    // Columns keep their place, since the column index is the step row cell an edit
    // writes, and their width.
    Component {
        id: idComponent
        TableViewColumn {
            width: tableWidth * 0.02
            movable: false
            resizable: false
            delegate: Rectangle {
                color: "transparent"
                height: singleLineHeight
                Text {
                    anchors.centerIn: parent
                    text: styleData.value
                }
            }
        }
    }

    Component {
        id: columnComponent
        TableViewColumn {
            width: tableWidth * 0.025
            movable: false
            resizable: false
        }
    }

    Component {
        id: headerDele
        Rectangle {
            height: 100
            color: "lightsteelblue"
            border.width: 1
            border.color: lastColumn_Color(styleData.column, "yellow", "lightgray")
            // Above the view's own header mouse area, which would take every left click:
            // a double click opens the information dialog, a single click does nothing.
            Component.onCompleted: if (styleData.column >= 0) parent.z = 1
            TextEdit {
                anchors.centerIn: parent
                horizontalAlignment: TextEdit.AlignHCenter
                selectByMouse: true
                text: styleData.value
            }
            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton | Qt.RightButton
                onDoubleClicked: messageDialog.open()
            }
        }
    }

    Component {
        id: rowDele
        Rectangle {
            width: tableWidth
            height: styleData.selected ? 1.5 * singleLineHeight : singleLineHeight
            color: styleData.selected ? "red" : getBackColor(styleData.row)
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
