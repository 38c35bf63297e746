import QtQuick 2.10
import QtQuick.Dialogs 1.3
import QtQuick.Controls 1.6
import QtQuick.Controls.Styles 1.4
import QtQuick.Controls 2.15 as C2

Rectangle {
    id: panel
    width: parent.width
    height: parent.height

    // Playback, output, the fixtures and the status message are the core's; these follow it.
    readonly property bool runFlag: dmx_list.playing
    // Channel count of the shows and .c files appended into the table: a save keeps them
    // even when fewer fixture columns are shown.
    readonly property int dataChannels: history.fileChannels
    // The table's fixtures by type, in the order they were added; a show file records them.
    readonly property var fixtureKinds: dmx_list.fixtures.types
    readonly property var fixtureEnds: dmx_list.fixtures.ends
    readonly property QtObject history: dmx_list.history
    // The file service of the file workflow; copy and paste use it too.
    readonly property QtObject dmxFileIO: file_flow.files
    readonly property string showFilter: file_flow.showFilter
    readonly property string cFilter: file_flow.cFilter

    // With a song the show follows it: playing is the song's.
    function startRun() {
        if (song_player.active)
            song_player.play()
        else
            dmx_list.sendDmxEnable(true)
    }

    function stopRun() {
        if (song_player.playing)
            song_player.stop()
        else
            dmx_list.sendDmxEnable(false)
    }

    function say(text) {
        dmx_list.statusMessage = text
    }

    // START and END: every level at once, as one undo step.
    function setAllDim(value) {
        value_entry.setAllLevels(Number(value))
    }

    function setDefaultLevels() {
        value_entry.setDefaultLevels()
    }

    // Puts the fader of the typed channel number at the start of the strip.
    function showChannel(text) {
        dimChannel.positionViewAtIndex(Math.max(0, Number(text) - 1), ListView.Beginning)
    }

    // The number fields' key rule; here only keypad Enter commits, and applies the value.
    function inputKey(input, top, event, apply) {
        var entry = value_entry.keyed(event.key, input.text, top, false)
        input.text = entry.text
        if (entry.commit)
            apply(entry.text)
    }

    function selectWholeTable() {
        dmx_list.selectWholeTable()
    }

    function toggleOutput() {
        dmx_list.dmxOutputEnable(!dmx_list.outputEnabled)
    }


    // The file workflow is file_flow's; these hand it what the dialogs and keys choose.
    function fileNameOf(url) {
        return file_flow.fileNameOf(url)
    }

    function channelsToSave() {
        return file_flow.channelsToSave()
    }

    function saveAccepted(url, filter) {
        return file_flow.saveAccepted(url, filter)
    }

    function answerReplace(replace) {
        replaceQuestion.close()
        return file_flow.answerReplace(replace)
    }

    function openAccepted(url) {
        console.log("You chose load: " + url)
        return openFile(url)
    }

    function openFile(url) {
        return file_flow.open(url)
    }

    // "添加灯具": a fixture of the type box's type, as one undo step.
    function addFixture(type) {
        return dmxList.addDevice(type)
    }

    function removeFixture() {
        return dmxList.deleteDevice()
    }

    function saveCurrent() {
        return file_flow.saveCurrent()
    }

    function stepBack(redo) {
        if (runFlag) {
            say(redo ? qsTr("播放时不能重做：请先停止播放") : qsTr("播放时不能撤销：请先停止播放"))
            return false
        }
        var done = redo ? history.redo() : history.undo()
        if (done)
            say(redo ? qsTr("已重做") : qsTr("已撤销"))
        return done
    }

    // The window's closing: with unsaved changes ask Save / Discard / Cancel first.
    function confirmClose(close) {
        if (!file_flow.mayClose())
            close.accepted = false
    }

    function answerClose(choice) {
        closeQuestion.close()
        file_flow.answerClose(choice)
    }

    // Copy, cut and paste of the play range as tab-separated text, one line per step.
    function copySteps(cut) {
        var first = dmx_list.rangeFirst
        var last = dmx_list.rangeLast
        if (first < 0)
            return false
        var text = dmxFileIO.stepsText(first, last, channelsToSave())
        if (text === "")
            return false
        clipboardText.text = text
        clipboardText.selectAll()
        clipboardText.copy()
        clipboardText.text = ""
        if (cut) {
            if (runFlag)
                stopRun()
            dmx_list.removeSelectRows()
        }
        var count = last - first + 1
        say(cut ? qsTr("已剪切 %n 步", "", count) : qsTr("已复制 %n 步", "", count))
        return true
    }

    function pasteSteps() {
        clipboardText.text = ""
        clipboardText.paste()
        var count = dmxFileIO.pasteSteps(clipboardText.text, dmx_list.currentRow + 1)
        clipboardText.text = ""
        if (count < 0) {
            say(qsTr("无法粘贴：%1").arg(dmxFileIO.lastError()))
            return false
        }
        say(qsTr("已粘贴 %n 步", "", count))
        return true
    }

    // What the file workflow asks the window to do.
    Connections {
        target: file_flow
        function onReplaceAsked() { replaceQuestion.dialog().open() }
        function onCloseAsked() { closeQuestion.dialog().open() }
        function onSaveTargetWanted() { saveData.clicked() }
        function onCloseWindow() { root.close() }
    }

    // Carries text to and from the system clipboard.
    TextEdit {
        id: clipboardText
        visible: false
    }

    LazyDialog {
        id: fileChooser
        objectName: "fileChooser"
        sourceComponent: FileDialog {

            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
            id: fileDialog
            objectName: "fileDialog"
            property bool useForSave: false
            folder: shortcuts.home
            nameFilters: ownUse ? [cFilter, showFilter] : [showFilter]

            // Opens in the folder used last, with the show format chosen.
            function prepare(forSave) {
                useForSave = forSave
                if (file_flow.lastFolder !== "")
                    folder = file_flow.lastFolder
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
            onRejected: file_flow.fileChoiceCancelled()
        }
    }

    LazyDialog {
        id: replaceQuestion
        objectName: "replaceQuestion"
        sourceComponent: MessageDialog {

            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
            id: replaceDialog
            objectName: "replaceDialog"
            title: qsTr("替换文件")
            text: file_flow.replaceQuestion
            icon: StandardIcon.Question
            standardButtons: StandardButton.Yes | StandardButton.No
            onYes: answerReplace(true)
            onNo: answerReplace(false)
        }
    }

    LazyDialog {
        id: closeQuestion
        objectName: "closeQuestion"
        sourceComponent: MessageDialog {

            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
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
    }

    // A copy that a program left when it ended without saving: opened or discarded, one at a
    // time; Cancel keeps it for the next start.
    function offerRecovery() {
        recovery.lookForCopies()
        if (recovery.offered.length === 0)
            return
        var copy = recovery.offered[0]
        var dialog = recoveryQuestion.dialog()
        dialog.text = qsTr("上次的程序没有保存就结束了，留下了恢复副本：\n%1，%2，%3 步，%4 个灯具。\n要打开它吗？")
            .arg(copy.show !== "" ? copy.show : qsTr("新演出")).arg(copy.written)
            .arg(copy.steps).arg(copy.fixtures)
        dialog.open()
    }

    function answerRecovery(open) {
        recoveryQuestion.close()
        if (open)
            recovery.openOffered(0)
        else
            recovery.discardOffered(0)
        if (recovery.offered.length > 0)
            Qt.callLater(offerRecovery)
    }

    LazyDialog {
        id: recoveryQuestion
        objectName: "recoveryQuestion"
        sourceComponent: MessageDialog {
            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
            id: recoveryDialog
            objectName: "recoveryDialog"
            title: qsTr("恢复副本")
            icon: StandardIcon.Question
            standardButtons: StandardButton.Open | StandardButton.Discard | StandardButton.Cancel
            onAccepted: answerRecovery(true)
            onDiscard: answerRecovery(false)
        }
    }

    // The song beside the show: only chosen here, read and kept by "song".
    LazyDialog {
        id: songChooser
        objectName: "songChooser"
        sourceComponent: FileDialog {
            onVisibleChanged: if (!visible) Qt.callLater(refocusWindow)
            id: songDialog
            objectName: "songDialog"
            title: qsTr("选择歌曲")
            folder: file_flow.lastFolder !== "" ? file_flow.lastFolder : shortcuts.music
            nameFilters: [qsTr("歌曲 (*.wav *.flac *.ogg *.oga *.opus *.mp3)")]
            onAccepted: {
                song.attach(fileUrl)
                Qt.callLater(openSong, root.songButton)
            }
        }
    }

    // "踩点": the play range's steps on every first, second or fourth beat, as one undo step.
    function placeOnBeats() {
        var count = song.placeOnBeats(songLine.stride)
        if (count > 0)
            say(qsTr("已把 %n 步放在节拍上", "", count))
        return count
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

    // ---- the song line: opened by "音乐…" beside the row actions below the panel, the panel
    // itself having no room for it at the window's usual width

    // With no song yet the file dialog comes first.
    function openSong(button) {
        if (!song.attached) {
            songChooser.dialog().open()
            return
        }
        var at = button.mapToItem(panel, 0, button.height)
        songLine.x = Math.max(0, Math.min(at.x, panel.width - songLine.width))
        songLine.y = at.y
        songLine.open()
    }

    C2.Popup {
        id: songLine
        objectName: "songLine"
        property int stride: 1
        padding: 4
        onClosed: refocusWindow()

        Row {
            height: 24
            spacing: 6

            PanelButton {
                objectName: "songChoose"
                text: qsTr("选择…")
                onClicked: {
                    songLine.close()
                    songChooser.dialog().open()
                }
            }
            // Shows or hides the song strip between the panel and the table.
            Button {
                id: songStripToggle
                objectName: "songStripToggle"
                height: parent.height
                text: qsTr("时间线")
                checkable: true
                checked: windowPlace.songStripShown
                activeFocusOnTab: false
                onCheckedChanged: windowPlace.songStripShown = checked
            }
            Text {
                objectName: "songName"
                height: parent.height
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: 14
                color: song.problem !== "" ? "red" : "black"
                text: song.fileName
            }
            ProgressBar {
                objectName: "songProgress"
                visible: song.analysing
                width: 60
                height: parent.height
                value: song.progress
            }
            TextInput {
                objectName: "songTempo"
                width: 44
                height: parent.height
                verticalAlignment: TextInput.AlignVCenter
                font.pixelSize: 15
                selectByMouse: true
                validator: DoubleValidator { bottom: 0; top: 400; decimals: 2 }
                text: song.tempoBpm > 0 ? song.tempoBpm.toFixed(1) : ""
                // A value refused shows the tempo as it stays.
                onAccepted: {
                    song.setTempo(Number(text))
                    text = Qt.binding(function() { return song.tempoBpm > 0 ? song.tempoBpm.toFixed(1) : "" })
                }
            }
            Text {
                height: parent.height
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: 14
                text: qsTr("BPM，首拍")
            }
            TextInput {
                objectName: "songFirstBeat"
                width: 56
                height: parent.height
                verticalAlignment: TextInput.AlignVCenter
                font.pixelSize: 15
                selectByMouse: true
                validator: IntValidator { bottom: 0; top: 1200000 }
                text: Math.round(song.firstBeatMs)
                onAccepted: {
                    song.setFirstBeat(Number(text))
                    text = Qt.binding(function() { return Math.round(song.firstBeatMs) })
                }
            }
            Text {
                height: parent.height
                verticalAlignment: Text.AlignVCenter
                font.pixelSize: 14
                text: qsTr("ms")
            }
            PanelButton {
                objectName: "beatButton"
                text: qsTr("踩点")
                tooltip: qsTr("设置播放范围内各步的保持时间，使每一步都从节拍上开始")
                enabled: song.hasBeats
                onClicked: placeOnBeats()
            }
            PanelButton {
                objectName: "strideButton"
                text: qsTr("每 %1 拍").arg(songLine.stride)
                enabled: song.hasBeats
                onClicked: songLine.stride = songLine.stride === 4 ? 1 : songLine.stride * 2
            }
            PanelButton {
                objectName: "songRemove"
                text: qsTr("移除")
                onClicked: {
                    songLine.close()
                    song.detach()
                }
            }
        }
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
            fileChooser.dialog().saveFile()
        }
    }
    PanelButton {
        id: openData
        objectName: "openData"
        anchors.right: saveData.left
        text: qsTr("打开")
        onClicked: fileChooser.dialog().openFile()
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
            if (runFlag)
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
        onClicked: dmx_list.refrushIndex()
    }
    PanelButton {
        id: playAllData
        objectName: "playAllData"
        backgroundWidth: 40
        anchors.right: frushData.left
        text: dmx_list.wholeTable ? qsTr("选择") : qsTr("全选")
        onClicked: selectWholeTable()
    }
    PanelButton {
        id: sendDmxBottom
        objectName: "sendDmxBottom"
        anchors.right: playAllData.left
        text: runFlag ? qsTr("停止") : qsTr("播放")
        checkable: true
        checked: runFlag
        onClicked: {
            if (runFlag)
                stopRun()
            else
                startRun()
            // The click toggled the box on its own; it shows the core's state again.
            checked = Qt.binding(function() { return runFlag })
        }
    }
    PanelButton {
        id: dmxOutputBottom
        objectName: "dmxOutputBottom"
        anchors.right: sendDmxBottom.left
        text: dmx_list.outputEnabled ? qsTr("DMX输出") : qsTr("DMX关闭")
        style: ButtonStyle {
            background: Rectangle {
                id: rec_button_background
                implicitWidth: 20
                implicitHeight: parent.height
                border.color: "gray"
                border.width: control.activeFocus ? 2 : 1
                color: dmx_list.outputEnabled ? "yellow" : "lightsteelblue"
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
        text: dmx_list.outputEnabled ? names[code] || names[0] : ""
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
            // Not while the window is minimised or hidden; on its return it asks at once.
            running: dmx_list.outputEnabled && dmx_list.windowShown
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
