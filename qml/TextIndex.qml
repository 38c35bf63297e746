import QtQuick 2.10
import QtQuick.Dialogs 1.3
import QtQuick.Controls 1.6
import QtQuick.Controls.Styles 1.4
import ov.qt.dmx 1.0

Rectangle {
    id: panel
    width: parent.width
    height: parent.height

    property bool runFlag: true
    property int bakPlayStart: 0
    property int bakPlayEnd: 0

    function startRun() {
        sendDmxBottom.text = "停止"
        sendDmxBottom.checked = true
        dmx_list.sendDmxEnable(true)
        statusText.text = "Play..."
        runFlag = true
    }

    function stopRun() {
        sendDmxBottom.text = "播放"
        sendDmxBottom.checked = false
        dmx_list.sendDmxEnable(false)
        statusText.text = "Stoped!"
        runFlag = false
    }

    function setAllDim(value) {
        if (runFlag) {
            console.log("[!] will stop")
            stopRun()
        }
        dmx.setAllDmxValue(Number(value))
    }

    // Puts the fader of the typed channel number at the start of the strip.
    function showChannel(text) {
        dimChannel.positionViewAtIndex(Math.max(0, Number(text) - 1), ListView.Beginning)
    }

    // Delete clears; keypad Enter clamps to the top and applies. Return is not handled.
    function inputKey(input, top, event, apply) {
        if (event.key === Qt.Key_Delete)
            input.text = ""
        if (event.key !== Qt.Key_Enter)
            return
        if (Number(input.text) > top)
            input.text = top
        apply(input.text)
    }

    function selectWholeTable() {
        if (playAllData.text === "全选") {
            playAllData.text = "选择"
            bakPlayStart = playStart
            bakPlayEnd = playEnd
            startPos(0)
            // An empty table has no last row; the core takes the end as unsigned.
            endPos(Math.max(0, dmx_list.rowCount() - 1))
        } else {
            playAllData.text = "全选"
            startPos(bakPlayStart)
            endPos(bakPlayEnd)
        }
    }

    function outputOff() {
        dmx_list.dmxOutputEnable(false)
        dmxOutputBottom.text = "DMX关闭"
    }

    function toggleOutput() {
        if (dmxOutputBottom.text === "DMX输出") {
            outputOff()
        } else {
            dmx_list.dmxOutputEnable(true)
            dmxOutputBottom.text = "DMX输出"
        }
    }

    function repeatsChanged() {
        repeat_text.value = dmx_list.repeat
        if (dmx_list.repeat !== 0)
            return
        if (dmxOutputBottom.text === "DMX输出")
            outputOff()
        if (sendDmxBottom.text !== "播放")
            stopRun()
    }

    // Returns whether the file service wrote the file; a failure keeps the previous name.
    function saveAccepted(url, filter) {
        console.log("You chose save: " + url + " " + filter)
        c_index = posCount - initChCount
        var first = Math.min(playStart, playEnd)
        var last = Math.max(playStart, playEnd)
        if (!dmxFileIO.saveData(url, c_index, first, last, filter)) {
            statesText.text = " save failed:" + url
            return false
        }
        statesText.text = " save total change is:" + c_index
        c_file_name = url
        return true
    }

    function openAccepted(url) {
        console.log("You chose load: " + url + " " + fileDialog.nameFilters + " "
                    + fileDialog.selectedNameFilter)
        c_index = dmxFileIO.loadData(url)
        dmx_list.refrushIndex()
        playEnd = dmx_list.rowCount() - 1
        statesText.text = " open total change is:" + c_index
        c_file_name = url
    }

    DmxFile {
        id: dmxFileIO
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        property bool useForSave: false
        folder: shortcuts.home
        nameFilters: ownUse ? ["Dmx-c files (*.c )", "Dmx files (*.dmx )"] : ["Dmx files (*.dmx )"]

        function openFile() {
            useForSave = false
            title = qsTr("选择一个 Dmx 格式的c文件")
            selectMultiple = true
            selectExisting = true
            open()
            stopRun()
        }

        function saveFile() {
            useForSave = true
            title = qsTr("创建一个 Dmx 的c文件")
            selectMultiple = false
            selectExisting = false
            open()
        }

        onAccepted: {
            if (useForSave)
                saveAccepted(fileUrl, selectedNameFilter)
            else
                openAccepted(fileUrls[0])
        }
    }

    Connections {
        target: dmx_list
        function onRepeatChanged() { repeatsChanged() }
    }

    // ---- left group: value shortcuts and the channel jump

    Text {
        id: text0
        objectName: "text0"
        anchors.left: parent.left
        height: parent.height
        width: implicitWidth
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 15
        color: "steelblue"
        text: qsTr("Init:")
        MouseArea {
            anchors.fill: parent
            onPressed: { text0.color = "red"; dmx.setDefaultDmxValue() }
            onReleased: text0.color = "steelblue"
            onCanceled: text0.color = "steelblue"
        }
    }
    Text {
        id: text1
        objectName: "text1"
        anchors.left: text0.right
        anchors.leftMargin: 8
        height: parent.height
        width: implicitWidth
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 15
        color: "steelblue"
        text: qsTr("START:")
        MouseArea {
            anchors.fill: parent
            onPressed: { text1.color = "red"; setAllDim(textInput1.text) }
            onReleased: text1.color = "steelblue"
            onCanceled: text1.color = "steelblue"
        }
    }
    TextInput {
        id: textInput1
        objectName: "textInput1"
        anchors.left: text1.right
        anchors.leftMargin: 2
        width: 32
        height: parent.height
        verticalAlignment: TextInput.AlignVCenter
        font.pixelSize: 15
        text: qsTr("0")
        validator: IntValidator { bottom: 0; top: dimMax }
        selectByMouse: true
        Keys.onPressed: inputKey(textInput1, dimMax, event, setAllDim)
    }
    Text {
        id: text2
        objectName: "text2"
        anchors.left: textInput1.right
        height: parent.height
        width: implicitWidth
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 15
        color: "steelblue"
        text: qsTr("END:")
        MouseArea {
            anchors.fill: parent
            onPressed: { text2.color = "red"; setAllDim(textInput2.text) }
            onReleased: text2.color = "steelblue"
            onCanceled: text2.color = "steelblue"
        }
    }
    TextInput {
        id: textInput2
        objectName: "textInput2"
        anchors.left: text2.right
        anchors.leftMargin: 2
        width: 32
        height: parent.height
        verticalAlignment: TextInput.AlignVCenter
        font.pixelSize: 15
        text: qsTr("255")
        validator: IntValidator { bottom: 0; top: dimMax }
        selectByMouse: true
        Keys.onPressed: inputKey(textInput2, dimMax, event, setAllDim)
    }
    Text {
        id: text3
        objectName: "text3"
        anchors.left: textInput2.right
        height: parent.height
        width: implicitWidth
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 15
        color: "steelblue"
        text: qsTr("CHANNEL:")
        MouseArea {
            anchors.fill: parent
            onPressed: { text3.color = "red"; showChannel(textInput3.text) }
            onReleased: text3.color = "steelblue"
            onCanceled: text3.color = "steelblue"
        }
    }
    TextInput {
        id: textInput3
        objectName: "textInput3"
        anchors.left: text3.right
        anchors.leftMargin: 2
        width: 32
        height: parent.height
        verticalAlignment: TextInput.AlignVCenter
        font.pixelSize: 15
        text: qsTr("1")
        validator: IntValidator { bottom: 0; top: dimNumber }
        selectByMouse: true
        Keys.onPressed: inputKey(textInput3, dimNumber, event, showChannel)
    }

    // ---- right group, laid out from the right edge leftwards

    Component {
        id: gradientStyle
        ButtonStyle {
            background: Rectangle {
                implicitWidth: control.backgroundWidth
                implicitHeight: parent.height
                border.color: "gray"
                border.width: control.activeFocus ? 2 : 1
                gradient: Gradient {
                    GradientStop { position: 0; color: control.pressed ? "white" : "lightsteelblue" }
                    GradientStop { position: 1; color: control.pressed ? "lightsteelblue" : "white" }
                }
            }
        }
    }

    SpinBox {
        id: between_value
        objectName: "between_value"
        anchors.right: parent.right
        height: parent.height
        value: 1
        minimumValue: 1
        maximumValue: 10
    }
    Button {
        id: saveData
        objectName: "saveData"
        property int backgroundWidth: 20
        anchors.right: between_value.left
        height: parent.height
        text: "保存"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: {
            dmx_list.setDmxDataBetween(between_value.value)
            fileDialog.saveFile()
        }
    }
    Button {
        id: openData
        objectName: "openData"
        property int backgroundWidth: 20
        anchors.right: saveData.left
        height: parent.height
        text: "打开"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: fileDialog.openFile()
    }
    Button {
        id: moveUp
        objectName: "moveUp"
        property int backgroundWidth: 30
        anchors.right: openData.left
        height: parent.height
        text: "上移行"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: dmx_list.moveUpRows()
    }
    Button {
        id: moveDown
        objectName: "moveDown"
        property int backgroundWidth: 30
        anchors.right: moveUp.left
        height: parent.height
        text: "下移行"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: dmx_list.moveDownRows()
    }
    Button {
        id: addData
        objectName: "addData"
        property int backgroundWidth: 40
        anchors.right: moveDown.left
        height: parent.height
        text: "增加"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: dmx_list.insertCurrRows()
    }
    Button {
        id: delData
        objectName: "delData"
        property int backgroundWidth: 40
        anchors.right: addData.left
        height: parent.height
        text: "删除"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: {
            if (sendDmxBottom.text !== "播放")
                stopRun()
            dmx_list.removeSelectRows()
        }
    }
    Button {
        id: frushData
        objectName: "frushData"
        property int backgroundWidth: 40
        anchors.right: delData.left
        height: parent.height
        text: "刷新"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: {
            dmx_list.refrushIndex()
            statusValue.text = dmx_list.currentRow
        }
    }
    Button {
        id: playAllData
        objectName: "playAllData"
        property int backgroundWidth: 40
        anchors.right: frushData.left
        height: parent.height
        text: "全选"
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: selectWholeTable()
    }
    Button {
        id: sendDmxBottom
        objectName: "sendDmxBottom"
        property int backgroundWidth: 20
        anchors.right: playAllData.left
        height: parent.height
        text: "播放"
        checkable: true
        checked: false
        activeFocusOnTab: false
        style: gradientStyle
        onClicked: {
            if (sendDmxBottom.text !== "播放")
                stopRun()
            else
                startRun()
        }
    }
    Button {
        id: dmxOutputBottom
        objectName: "dmxOutputBottom"
        anchors.right: sendDmxBottom.left
        height: parent.height
        text: "DMX关闭"
        checkable: true
        checked: false
        activeFocusOnTab: false
        style: ButtonStyle {
            background: Rectangle {
                id: rec_button_background
                implicitWidth: 20
                implicitHeight: parent.height
                border.color: "gray"
                border.width: control.activeFocus ? 2 : 1
                color: control.text === "DMX输出" ? "yellow" : "lightsteelblue"
            }
        }
        onClicked: toggleOutput()
    }
    // What becomes of the frames while output is on, as the DMX library last found out
    // (its dmxbox_state numbers), polled since the library never calls back.
    Text {
        id: outputState
        objectName: "outputState"
        property int code: 0
        readonly property var names: ["检查中…", "olad未运行", "olad已连接", "无输出端口", "olad无响应"]
        readonly property var colours: ["gray", "red", "green", "darkorange", "red"]
        anchors.right: dmxOutputBottom.left
        width: widestState.advanceWidth + 8
        height: parent.height
        font.pixelSize: 14
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: dmxOutputBottom.text === "DMX输出" ? names[code] || names[0] : ""
        color: colours[code] || colours[0]

        TextMetrics {
            id: widestState
            font: outputState.font
            text: "olad未运行"
        }
        Timer {
            interval: 500
            repeat: true
            triggeredOnStart: true
            running: dmxOutputBottom.text === "DMX输出"
            onTriggered: outputState.code = dmx.outputState()
            onRunningChanged: outputState.code = 0
        }
    }
    SpinBox {
        id: repeat_text
        objectName: "repeat_text"
        anchors.right: outputState.left
        height: parent.height
        value: dmx_list.repeat
        maximumValue: 255
        onEditingFinished: dmx_list.repeat = value
    }
    Label {
        anchors.right: repeat_text.left
        anchors.rightMargin: 4
        height: parent.height
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 14
        text: "循环次数"
    }
}
