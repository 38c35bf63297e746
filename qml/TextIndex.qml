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
    // Channel count of the shows and .c files appended into the table: a save keeps them
    // even when fewer fixture columns are shown.
    readonly property int dataChannels: history.fileChannels
    // The table's fixtures by type, in the order they were added; a show file records them.
    property var fixtureKinds: []
    property var fixtureEnds: []
    property string lastFolder: ""
    // A save waiting for the answer to the replace question.
    property string pendingUrl: ""
    property string pendingFilter: ""
    // Close the window once the save asked for by the close question has been written.
    property bool closeAfterSave: false
    property bool closeConfirmed: false
    readonly property QtObject history: dmx_list.history
    readonly property string showFilter: "Dmx files (*.dmx )"
    readonly property string cFilter: "Dmx-c files (*.c )"

    function startRun() {
        sendDmxBottom.text = qsTr("停止")
        sendDmxBottom.checked = true
        dmx_list.sendDmxEnable(true)
        statusText.text = "Play..."
        runFlag = true
    }

    function stopRun() {
        sendDmxBottom.text = qsTr("播放")
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
        history.beginStep()
        dmx.setAllDmxValue(Number(value))
        history.endStep()
    }

    function setDefaultLevels() {
        history.beginStep()
        dmx.setDefaultDmxValue()
        history.endStep()
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
        if (playAllData.text === qsTr("全选")) {
            playAllData.text = qsTr("选择")
            bakPlayStart = playStart
            bakPlayEnd = playEnd
            startPos(0)
            // An empty table has no last row; the core takes the end as unsigned.
            endPos(Math.max(0, dmx_list.rowCount() - 1))
        } else {
            playAllData.text = qsTr("全选")
            startPos(bakPlayStart)
            endPos(bakPlayEnd)
        }
    }

    function outputOff() {
        dmx_list.dmxOutputEnable(false)
        dmxOutputBottom.text = qsTr("DMX关闭")
    }

    function toggleOutput() {
        if (dmxOutputBottom.text === qsTr("DMX输出")) {
            outputOff()
        } else {
            dmx_list.dmxOutputEnable(true)
            dmxOutputBottom.text = qsTr("DMX输出")
        }
    }

    function repeatsChanged() {
        repeat_text.value = dmx_list.repeat
        if (dmx_list.repeat !== 0)
            return
        if (dmxOutputBottom.text === qsTr("DMX输出"))
            outputOff()
        if (sendDmxBottom.text !== qsTr("播放"))
            stopRun()
    }

    function fileNameOf(url) {
        var text = decodeURIComponent(String(url))
        return text.substring(text.lastIndexOf("/") + 1)
    }

    function folderOf(url) {
        var text = String(url)
        return text.substring(0, text.lastIndexOf("/"))
    }

    // Every channel the table holds data for: the fixture columns and what files brought.
    function channelsToSave() {
        return Math.min(dimNumber, Math.max(posCount - initChCount, dataChannels))
    }

    // A chosen save target: asks before replacing a file the dialog did not ask about (it
    // asks only when the exact name was typed). Returns whether the file was written now.
    function saveAccepted(url, filter) {
        console.log("You chose save: " + url + " " + filter)
        lastFolder = folderOf(url)
        var target = dmxFileIO.saveTarget(url, filter)
        var typedExactName = dmxFileIO.saveTarget(url, "") === target
        if (target !== "" && !typedExactName && dmxFileIO.fileExists(target)) {
            pendingUrl = url
            pendingFilter = filter
            replaceDialog.text = qsTr("“%1” 已存在。要替换它吗？").arg(fileNameOf(target))
            replaceDialog.open()
            return false
        }
        return writeFile(url, filter)
    }

    function answerReplace(replace) {
        replaceDialog.close()
        if (replace)
            return writeFile(pendingUrl, pendingFilter)
        statesText.text = " save cancelled"
        closeAfterSave = false
        return false
    }

    // Writes the table; a failure keeps the previous name and says why.
    function writeFile(url, filter) {
        var target = dmxFileIO.saveTarget(url, filter)
        var channels = channelsToSave()
        var first = Math.min(playStart, playEnd)
        var last = Math.max(playStart, playEnd)
        dmxFileIO.setFixtureTypes(fixtureKinds)
        if (!dmxFileIO.saveData(url, channels, first, last, filter)) {
            statesText.text = " cannot save: " + dmxFileIO.lastError()
            closeAfterSave = false
            return false
        }
        c_index = channels
        statesText.text = " save total change is:" + c_index
        var written = String(url)
        var extension = target.substring(target.lastIndexOf("."))
        if (!written.endsWith(extension))
            written += extension
        c_file_name = written
        // A C export keeps only patched channels and a range: the show itself is not saved.
        if (extension === ".dmx")
            history.setClean()
        if (closeAfterSave) {
            closeAfterSave = false
            root.close()
        }
        return true
    }

    function openAccepted(url) {
        console.log("You chose load: " + url + " " + fileDialog.nameFilters + " "
                    + fileDialog.selectedNameFilter)
        return openFile(url)
    }

    // Opens a show or imports a C file by URL and appends its rows; on refusal the table
    // and the title stay and the status text says why. Returns whether it was read.
    function openFile(url) {
        lastFolder = folderOf(url)
        var wasEmpty = dmx_list.rowCount() === 0 && light_number === 0
        history.beginStep()
        var channels = dmxFileIO.loadData(url)
        var reason = dmxFileIO.lastError()
        if (reason !== "") {
            history.endStep()
            statesText.text = " cannot open " + fileNameOf(url) + ": " + reason
            return false
        }
        var note = restoreFixtures(dmxFileIO.loadedFixtureTypes())
        history.endStep()
        c_index = channels
        dmx_list.refrushIndex()
        playEnd = dmx_list.rowCount() - 1
        if (dmxFileIO.fixtureBlockDamaged())
            note += ", fixture list damaged: rows loaded without it"
        statesText.text = " open total change is:" + c_index + note
        c_file_name = url
        // Appended to rows already there, the table is no longer what the file holds.
        if (wasEmpty)
            history.setClean()
        return true
    }

    function restoreFixtures(kinds) {
        if (kinds.length === 0)
            return ""
        if (light_number > 0)
            return ", fixtures of the file not added: the table keeps its own"
        for (var i = 0; i < kinds.length; ++i) {
            if (!addFixture(kinds[i], true))
                return ", only " + i + " of " + kinds.length + " fixtures of the file added"
        }
        return ""
    }

    // The "添加灯具" path: the table adds the columns, the panel remembers the type.
    function addFixture(type, record) {
        if (light_number >= maxLightNumber || !dmxList.addDevice(type))
            return false
        light_number++
        // The patch learns only the channel count; name its new entry after the type.
        fix_list.at(fix_list.size() - 1).fixType = fixture_catalogue.name(type)
        fixtureKinds = fixtureKinds.concat([type])
        fixtureEnds = fixtureEnds.concat([posCount])
        if (record)
            history.recordFixture(type, true)
        return true
    }

    function removeFixture(record) {
        if (light_number === 0)
            return false
        var type = fixtureKinds[fixtureKinds.length - 1]
        dmxList.deleteDevice()
        light_number--
        fixtureKinds = fixtureKinds.slice(0, -1)
        fixtureEnds = fixtureEnds.slice(0, -1)
        // The table leaves the removed fixture's end in posCount; the columns end earlier.
        posCount = fixtureEnds.length > 0 ? fixtureEnds[fixtureEnds.length - 1] : initChCount
        if (record)
            history.recordFixture(type, false)
        return true
    }

    // Ctrl+S: the current file without the dialog, the dialog when there is none.
    function saveCurrent() {
        if (c_file_name === "") {
            saveData.clicked()
            return false
        }
        return writeFile(c_file_name, c_file_name.endsWith(".c") ? cFilter : showFilter)
    }

    function stepBack(redo) {
        if (sendDmxBottom.text !== qsTr("播放")) {
            statesText.text = redo ? " cannot redo while playing: stop playback first"
                                   : " cannot undo while playing: stop playback first"
            return false
        }
        return redo ? history.redo() : history.undo()
    }

    // Positions the undone change left behind follow the table.
    function historyApplied() {
        var last = Math.max(0, dmx_list.rowCount() - 1)
        if (playStart > last)
            startPos(last)
        if (playEnd > last)
            endPos(last)
        statusValue.text = dmx_list.currentRow
    }

    // The window's closing: with unsaved changes ask Save / Discard / Cancel first.
    function confirmClose(close) {
        if (closeConfirmed || history.clean)
            return
        close.accepted = false
        closeDialog.open()
    }

    function answerClose(choice) {
        closeDialog.close()
        if (choice === "discard") {
            closeConfirmed = true
            root.close()
        } else if (choice === "save") {
            closeAfterSave = true
            // A C export is no save of the show: choose a show file then.
            if (c_file_name.endsWith(".dmx"))
                saveCurrent()
            else
                saveData.clicked()
        }
    }

    // Copy, cut and paste of the play range as tab-separated text, one line per step.
    function copySteps(cut) {
        var first = Math.min(playStart, playEnd)
        var last = Math.max(playStart, playEnd)
        var text = dmxFileIO.stepsText(first, last, channelsToSave())
        if (text === "")
            return false
        clipboardText.text = text
        clipboardText.selectAll()
        clipboardText.copy()
        clipboardText.text = ""
        if (cut) {
            if (sendDmxBottom.text !== qsTr("播放"))
                stopRun()
            dmx_list.removeSelectRows()
            historyApplied()
        }
        statesText.text = (cut ? " cut " : " copied ") + (last - first + 1) + " steps"
        return true
    }

    function pasteSteps() {
        clipboardText.text = ""
        clipboardText.paste()
        var count = dmxFileIO.pasteSteps(clipboardText.text, dmx_list.currentRow + 1)
        clipboardText.text = ""
        if (count < 0) {
            statesText.text = " cannot paste: " + dmxFileIO.lastError()
            return false
        }
        dmx_list.refrushIndex()
        statesText.text = " pasted " + count + " steps"
        return true
    }

    DmxFile {
        id: dmxFileIO
        objectName: "dmxFileIO"
    }

    // Carries text to and from the system clipboard.
    TextEdit {
        id: clipboardText
        visible: false
    }

    FileDialog {
        id: fileDialog
        objectName: "fileDialog"
        property bool useForSave: false
        folder: shortcuts.home
        nameFilters: ownUse ? ["Dmx-c files (*.c )", "Dmx files (*.dmx )"] : ["Dmx files (*.dmx )"]

        // Opens in the folder used last, with the show format chosen.
        function prepare(forSave) {
            useForSave = forSave
            if (lastFolder !== "")
                folder = lastFolder
            selectedNameFilter = showFilter
            selectMultiple = !forSave
            selectExisting = !forSave
        }

        function openFile() {
            prepare(false)
            title = ownUse ? qsTr("打开演出 (.dmx) 或导入 C 源文件 (.c)") : qsTr("打开演出 (.dmx)")
            open()
            stopRun()
        }

        function saveFile() {
            prepare(true)
            title = ownUse ? qsTr("保存演出 (.dmx) 或导出 C 源文件 (.c)") : qsTr("保存演出 (.dmx)")
            open()
        }

        onAccepted: {
            if (useForSave)
                saveAccepted(fileUrl, selectedNameFilter)
            else
                openAccepted(fileUrls[0])
        }
        onRejected: closeAfterSave = false
    }

    MessageDialog {
        id: replaceDialog
        objectName: "replaceDialog"
        title: qsTr("替换文件")
        icon: StandardIcon.Question
        standardButtons: StandardButton.Yes | StandardButton.No
        onYes: answerReplace(true)
        onNo: answerReplace(false)
    }

    MessageDialog {
        id: closeDialog
        objectName: "closeDialog"
        title: qsTr("未保存的更改")
        icon: StandardIcon.Warning
        text: qsTr("演出有未保存的更改。关闭前要保存吗？")
        standardButtons: StandardButton.Save | StandardButton.Discard | StandardButton.Cancel
        onAccepted: answerClose("save")
        onDiscard: answerClose("discard")
        onRejected: answerClose("cancel")
    }

    Shortcut { sequence: "Ctrl+S"; onActivated: saveCurrent() }
    Shortcut { sequence: "Ctrl+Shift+S"; onActivated: saveData.clicked() }
    Shortcut { sequence: "Ctrl+O"; onActivated: openData.clicked() }
    Shortcut { sequence: "Ctrl+Q"; onActivated: root.close() }
    Shortcut { sequence: "Ctrl+Z"; onActivated: stepBack(false) }
    Shortcut { sequences: ["Ctrl+Shift+Z", "Ctrl+Y"]; onActivated: stepBack(true) }
    Shortcut { sequence: "Ctrl+C"; onActivated: copySteps(false) }
    Shortcut { sequence: "Ctrl+X"; onActivated: copySteps(true) }
    Shortcut { sequence: "Ctrl+V"; onActivated: pasteSteps() }

    Connections {
        target: history
        function onApplied() { historyApplied() }
        function onFixtureRequested(type, add) {
            if (add)
                addFixture(type, false)
            else
                removeFixture(false)
        }
    }

    Connections {
        target: dmx_list
        function onRepeatChanged() { repeatsChanged() }
    }

    // A blue label that turns red while pressed and acts on the press.
    component ActionLabel: Text {
        id: label
        signal activated()
        height: parent.height
        width: implicitWidth
        verticalAlignment: Text.AlignVCenter
        font.pixelSize: 15
        color: "steelblue"
        MouseArea {
            anchors.fill: parent
            onPressed: { label.color = "red"; label.activated() }
            onReleased: label.color = "steelblue"
            onCanceled: label.color = "steelblue"
        }
    }

    // The number a label next to it acts on, from 0 to maxValue.
    component NumberInput: TextInput {
        id: input
        property int maxValue: 0
        anchors.leftMargin: 2
        width: 32
        height: parent.height
        verticalAlignment: TextInput.AlignVCenter
        font.pixelSize: 15
        validator: IntValidator { bottom: 0; top: input.maxValue }
        selectByMouse: true
    }

    // ---- left group: value shortcuts and the channel jump

    ActionLabel {
        id: text0
        objectName: "text0"
        anchors.left: parent.left
        text: qsTr("Init:")
        onActivated: setDefaultLevels()
    }
    ActionLabel {
        id: text1
        objectName: "text1"
        anchors.left: text0.right
        anchors.leftMargin: 8
        text: qsTr("START:")
        onActivated: setAllDim(textInput1.text)
    }
    NumberInput {
        id: textInput1
        objectName: "textInput1"
        anchors.left: text1.right
        text: qsTr("0")
        maxValue: dimMax
        Keys.onPressed: inputKey(textInput1, dimMax, event, setAllDim)
    }
    ActionLabel {
        id: text2
        objectName: "text2"
        anchors.left: textInput1.right
        text: qsTr("END:")
        onActivated: setAllDim(textInput2.text)
    }
    NumberInput {
        id: textInput2
        objectName: "textInput2"
        anchors.left: text2.right
        text: qsTr("255")
        maxValue: dimMax
        Keys.onPressed: inputKey(textInput2, dimMax, event, setAllDim)
    }
    ActionLabel {
        id: text3
        objectName: "text3"
        anchors.left: textInput2.right
        text: qsTr("CHANNEL:")
        onActivated: showChannel(textInput3.text)
    }
    NumberInput {
        id: textInput3
        objectName: "textInput3"
        anchors.left: text3.right
        text: qsTr("1")
        maxValue: dimNumber
        Keys.onPressed: inputKey(textInput3, dimNumber, event, showChannel)
    }

    // ---- right group, laid out from the right edge leftwards

    SpinBox {
        id: between_value
        objectName: "between_value"
        anchors.right: parent.right
        height: parent.height
        value: 1
        minimumValue: 1
        maximumValue: 10
    }
    PanelButton {
        id: saveData
        objectName: "saveData"
        anchors.right: between_value.left
        text: qsTr("保存")
        onClicked: {
            dmx_list.setDmxDataBetween(between_value.value)
            fileDialog.saveFile()
        }
    }
    PanelButton {
        id: openData
        objectName: "openData"
        anchors.right: saveData.left
        text: qsTr("打开")
        onClicked: fileDialog.openFile()
    }
    PanelButton {
        id: moveUp
        objectName: "moveUp"
        backgroundWidth: 30
        anchors.right: openData.left
        text: qsTr("上移行")
        onClicked: dmx_list.moveUpRows()
    }
    PanelButton {
        id: moveDown
        objectName: "moveDown"
        backgroundWidth: 30
        anchors.right: moveUp.left
        text: qsTr("下移行")
        onClicked: dmx_list.moveDownRows()
    }
    PanelButton {
        id: addData
        objectName: "addData"
        backgroundWidth: 40
        anchors.right: moveDown.left
        text: qsTr("增加")
        onClicked: dmx_list.insertCurrRows()
    }
    PanelButton {
        id: delData
        objectName: "delData"
        backgroundWidth: 40
        anchors.right: addData.left
        text: qsTr("删除")
        tooltip: qsTr("删除播放范围内的所有步（表中带阴影的行）")
        onClicked: {
            if (sendDmxBottom.text !== qsTr("播放"))
                stopRun()
            dmx_list.removeSelectRows()
        }
    }
    PanelButton {
        id: frushData
        objectName: "frushData"
        backgroundWidth: 40
        anchors.right: delData.left
        text: qsTr("刷新")
        onClicked: {
            dmx_list.refrushIndex()
            statusValue.text = dmx_list.currentRow
        }
    }
    PanelButton {
        id: playAllData
        objectName: "playAllData"
        backgroundWidth: 40
        anchors.right: frushData.left
        text: qsTr("全选")
        onClicked: selectWholeTable()
    }
    PanelButton {
        id: sendDmxBottom
        objectName: "sendDmxBottom"
        anchors.right: playAllData.left
        text: qsTr("播放")
        checkable: true
        checked: false
        onClicked: {
            if (sendDmxBottom.text !== qsTr("播放"))
                stopRun()
            else
                startRun()
        }
    }
    PanelButton {
        id: dmxOutputBottom
        objectName: "dmxOutputBottom"
        anchors.right: sendDmxBottom.left
        text: qsTr("DMX关闭")
        checkable: true
        checked: false
        style: ButtonStyle {
            background: Rectangle {
                id: rec_button_background
                implicitWidth: 20
                implicitHeight: parent.height
                border.color: "gray"
                border.width: control.activeFocus ? 2 : 1
                color: control.text === qsTr("DMX输出") ? "yellow" : "lightsteelblue"
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
        readonly property var names: [qsTr("检查中…"), qsTr("olad未运行"), qsTr("olad已连接"), qsTr("无输出端口"),
            qsTr("olad无响应")]
        readonly property var colours: ["gray", "red", "green", "darkorange", "red"]
        anchors.right: dmxOutputBottom.left
        width: widestState.advanceWidth + 8
        height: parent.height
        font.pixelSize: 14
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: dmxOutputBottom.text === qsTr("DMX输出") ? names[code] || names[0] : ""
        color: colours[code] || colours[0]

        TextMetrics {
            id: widestState
            font: outputState.font
            text: outputState.names.reduce(function (a, b) { return a.length >= b.length ? a : b })
        }
        Timer {
            objectName: "outputStatePoll"
            interval: 500
            repeat: true
            triggeredOnStart: true
            running: dmxOutputBottom.text === qsTr("DMX输出")
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
        text: qsTr("循环次数")
    }
}
