import QtQuick 2.10
import QtQuick.Window 2.10
import QtQuick.Controls 1.6
import QtQuick.Layouts 1.2
import QtQuick.Controls.Styles 1.4
import QtGraphicalEffects 1.0
import QtQuick.Controls 2.15 as Tip
import ov.qt.dmx 1.0

ApplicationWindow {
    id: root

    readonly property bool ownUse: true
    readonly property int maxLightNumber: 30
    // The width the table's columns and the faders take their shares of: the window's.
    property real tableWidth: width
    // Qt's default 9 pt at 96 dpi, the window's plain labels: no number or title in the table
    // is drawn smaller.
    readonly property int normalTextSize: 12
    // A fader strip's share of the width, never narrower than its handle needs.
    readonly property real faderWidth: Math.max(30, tableWidth * 0.03)
    property real singleLineHeight: 25
    readonly property int dimMax: 255
    readonly property int timeMax: 9999
    readonly property int dimNumber: 512
    // Channels the last save wrote or the last open read.
    property int c_index: file_flow.channelsInFile
    // The table's fixtures, play range and edit row live in the core; these follow it.
    readonly property QtObject fixtures: dmx_list.fixtures
    readonly property int light_number: fixtures.count
    readonly property int playStart: dmx_list.playStart
    readonly property int playEnd: dmx_list.playEnd
    property real indexDown: rangePosition(dmx_list.currentRow)
    readonly property int initChCount: 3
    readonly property int posCount: fixtures.columnEnd
    // The file the title names and Ctrl+S writes. The file workflow keeps it; a write here
    // goes to the workflow as well.
    property string c_file_name: ""
    readonly property bool unsaved: !dmx_list.history.clean
    property alias fixturePicker: pickerPopup
    property alias remoteSettings: remotePopup
    property alias syncSettings: syncPopup
    property alias songButton: songButton
    property alias capabilityMenu: capabilityMenu
    property alias effectMenu: effectMenu
    property alias generatorDialog: generatorDialog
    property alias fixtureCopyDialog: fixtureCopyDialog

    // What the window's background shows through; the fader strips are drawn over it.
    readonly property color stripBackdrop: windowPalette.window

    SystemPalette {
        id: windowPalette
    }

    visible: true
    // At first; afterwards as the user left it, within the screen.
    width: 1000
    height: 800

    WindowPlace {
        id: windowPlace
        window: root
    }
    title: (unsaved ? "*" : "") + (c_file_name !== "" ? file_flow.fileNameOf(c_file_name) + " — " : "")
           + (ownUse ? qsTr("Divezuveror DMX512 测试用") : qsTr("Divezuveror DMX512 用户"))

    Binding {
        target: root
        property: "c_file_name"
        value: file_flow.currentFile
    }
    onC_file_nameChanged: file_flow.currentFile = c_file_name

    onClosing: text_control.confirmClose(close)

    // Minimised or hidden, the window draws nothing: playback keeps its news until it is back.
    Binding {
        target: dmx_list
        property: "windowShown"
        value: root.visibility !== Window.Minimized && root.visibility !== Window.Hidden
    }

    function startPos(row) {
        dmx_list.dmxRowToDim(row)
    }

    function endPos(row) {
        dmx_list.setPlayerEndRow(row)
    }

    // Position of a row inside the play range, 0 to 1. A one-row range has no width to
    // divide by, so its row counts as complete; rows outside the range are clamped.
    function rangePosition(index) {
        var first = dmx_list.rangeFirst
        var last = dmx_list.rangeLast
        if (first < 0 || index < 0)
            return 0
        if (first === last)
            return index === first ? 1 : 0
        return Math.max(0, Math.min(1, (index - first) / (last - first)))
    }

    // The table shows the row that playback or an edit moved to; playback turns a page at a
    // time, as scrolling the whole table at every step would redraw all of it each time.
    function followRow(index) {
        if (index >= 0 && index < dmxList.rowCount)
            dmxList.positionViewAtRow(index, dmx_list.playing ? ListView.Beginning : ListView.Contain)
    }

    // A dialog that closes hands the keyboard back to the window and its table, so that the
    // shortcuts and the table's keys work again without a click.
    function refocusWindow() {
        root.requestActivate()
        dmxList.forceActiveFocus()
    }

    // The number fields' key rule; here either Enter key commits, which only clamps: "设置全部"
    // applies the values.
    function numberInputKey(input, top, event) {
        input.text = value_entry.keyed(event.key, input.text, top, true).text
    }

    // Every channel of a fixture from a definition at its off value at once, playback
    // stopped; released, the levels go out again.
    function setBlackout(on) {
        if (on)
            text_control.stopRun()
        fixtures.blackout = on
    }

    Shortcut { sequence: "B"; onActivated: setBlackout(!fixtures.blackout) }
    // A tap of the tap tempo; a text field being edited keeps its letter.
    Shortcut { sequence: "T"; onActivated: sync.tap() }

    CapabilityMenu {
        id: capabilityMenu
    }

    // Generators: the menu on column titles and cells, the dialog with its live preview.
    EffectMenu {
        id: effectMenu
    }
    GeneratorDialog {
        id: generatorDialog
        x: Math.round((root.width - width) / 2)
        y: Math.round((root.height - height) / 3)
    }
    FixtureCopyDialog {
        id: fixtureCopyDialog
        x: Math.round((root.width - width) / 2)
        y: Math.round((root.height - height) / 3)
    }
    Shortcut { sequence: "Ctrl+G"; onActivated: generatorDialog.openFor(generatorDialog.column) }

    // The fixture library is indexed, in a worker thread, once the window is on screen.
    Connections {
        id: indexAfterFirstFrame
        target: root
        function onFrameSwapped() {
            indexAfterFirstFrame.enabled = false
            fixture_picker.start()
            text_control.offerRecovery()
        }
    }

    FixturePicker {
        id: pickerPopup
        x: Math.round((root.width - width) / 2)
        y: Math.round((root.height - height) / 3)
        onClosed: refocusWindow()
    }

    RemoteSettings {
        id: remotePopup
        x: Math.round((root.width - width) / 2)
        y: Math.round((root.height - height) / 3)
        onClosed: refocusWindow()
    }

    SyncSettings {
        id: syncPopup
        x: Math.round((root.width - width) / 2)
        y: Math.round((root.height - height) / 3)
        onClosed: refocusWindow()
    }

    function tableKey(event) {
        switch (event.key) {
        case Qt.Key_Escape:
            text_control.stopRun()
            break
        case Qt.Key_Space:
            if (dmx_list.playing)
                text_control.stopRun()
            else
                text_control.startRun()
            break
        case Qt.Key_Up:
            dmx_list.dmx_up_down_select_row(true)
            break
        case Qt.Key_Down:
            dmx_list.dmx_up_down_select_row(false)
            break
        // A column sideways, the keys' way to the channels out of view.
        case Qt.Key_Left:
        case Qt.Key_Right:
            dmxList.stepSideways(event.key === Qt.Key_Left ? -1 : 1)
            break
        default:
            return
        }
        event.accepted = true
    }

    ListView {
        id: dimChannel
        objectName: "dimChannel"
        x: 5
        anchors.top: parent.top
        width: root.width
        height: 0.3 * root.height
        orientation: ListView.Horizontal
        clip: true
        // Faders outside the view keep no delegate, so playback's levels cost nothing there.
        cacheBuffer: 0
        model: dmx_data
        delegate: Dimmer {
            height: dimChannel.height
        }

        // Shift+wheel moves the strip sideways; a plain wheel stays the faders' own.
        MouseArea {
            parent: dimChannel
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            onWheel: {
                if (wheel.modifiers & Qt.ShiftModifier)
                    dmxList.scrollSideways(dimChannel, wheel.angleDelta.y !== 0 ? wheel.angleDelta.y
                                                                               : wheel.angleDelta.x, faderWidth)
                else
                    wheel.accepted = false
            }
        }
    }

    Rectangle {
        id: settingText
        width: root.width
        height: 0.03 * root.height
        anchors.left: parent.left
        anchors.top: dimChannel.bottom

        TextIndex {
            id: text_control
            objectName: "text_control"
            anchors.fill: parent
        }
    }

    SplitView {
        id: dmxSpeedText
        width: root.width
        height: 0.03 * root.height
        anchors.left: parent.left
        anchors.top: settingText.bottom
        orientation: Qt.Horizontal

        Rectangle {
            color: "lightblue"
            x: 20
            Layout.minimumWidth: 200
            Layout.fillWidth: true

            Row {
                anchors.fill: parent
                anchors.leftMargin: 5
                spacing: 8

                TextInput {
                    id: textInput_speed
                    objectName: "textInput_speed"
                    // Wide enough for the largest speed.
                    width: Math.max(30, Math.ceil(widestSpeed.advanceWidth) + 2)
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("0")
                    font.pixelSize: 15
                    validator: IntValidator { bottom: 0; top: timeMax }
                    selectByMouse: true
                    Keys.onPressed: numberInputKey(textInput_speed, timeMax, event)

                    TextMetrics {
                        id: widestSpeed
                        font: textInput_speed.font
                        text: String(timeMax)
                    }
                }
                TextInput {
                    id: textInput_fade
                    objectName: "textInput_fade"
                    width: 30
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("0")
                    font.pixelSize: 15
                    validator: IntValidator { bottom: 0; top: dimMax }
                    selectByMouse: true
                    Keys.onPressed: numberInputKey(textInput_fade, dimMax, event)
                }
                Button {
                    id: speed_all
                    objectName: "speed_all"
                    height: parent.height
                    text: qsTr("设置全部")
                    activeFocusOnTab: false
                    onClicked: dmx_list.setAllDmxSpeedCross(Math.min(Number(textInput_speed.text), timeMax),
                                                            Math.min(Number(textInput_fade.text), dimMax))
                }
                // The song beside the show, its grid and "踩点" (the panel's song line).
                Button {
                    id: songButton
                    objectName: "songButton"
                    height: parent.height
                    text: qsTr("音乐…")
                    activeFocusOnTab: false
                    tooltip: !song.attached ? qsTr("选择与演出一起播放的歌曲")
                        : song.problem !== "" ? song.problem
                        : qsTr("%1，%2 BPM，首拍 %3 ms").arg(song.fileName)
                            .arg(song.tempoBpm.toFixed(1)).arg(Math.round(song.firstBeatMs))
                    onClicked: text_control.openSong(songButton)
                }
            }
            // The library's picker and the blackout, beside the fixture buttons.
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 2
                height: parent.height
                spacing: 2

                Button {
                    id: openLibrary
                    objectName: "openLibrary"
                    width: Math.ceil(libraryText.advanceWidth) + 16
                    height: parent.height
                    text: qsTr("灯具库…")
                    activeFocusOnTab: false
                    onClicked: pickerPopup.open()
                    TextMetrics { id: libraryText; text: openLibrary.text }
                }
                // Stays red while engaged; the table and the faders keep their levels.
                Rectangle {
                    id: blackoutButton
                    objectName: "blackoutButton"
                    width: Math.ceil(blackoutText.implicitWidth) + 16
                    height: parent.height
                    radius: 3
                    border.color: "gray"
                    color: fixtures.blackout ? "red" : "white"
                    Text {
                        id: blackoutText
                        anchors.centerIn: parent
                        font.pixelSize: 13
                        font.bold: fixtures.blackout
                        color: fixtures.blackout ? "white" : "black"
                        text: fixtures.blackout ? qsTr("黑场中 (B)") : qsTr("黑场 (B)")
                    }
                    MouseArea {
                        anchors.fill: parent
                        onClicked: setBlackout(!fixtures.blackout)
                    }
                }
            }
        }

        Rectangle {
            id: fixturePane
            color: "lightgray"
            width: 600
            Layout.maximumWidth: 0.6 * dmxSpeedText.width

            // The buttons, the type box and the count keep their places; the strip of added
            // fixtures takes the room that is left at the right and scrolls inside it.
            Row {
                // Both fixture buttons 68 px, or as wide as a translation's longer label needs.
                readonly property int fixtureButtonWidth: Math.max(68, Math.ceil(Math.max(
                    deleteLightText.advanceWidth, addLightText.advanceWidth)) + 12)

                anchors.fill: parent
                spacing: 2

                TextMetrics { id: deleteLightText; text: deleteLight.text }
                TextMetrics { id: addLightText; text: addLight.text }
                TextMetrics { id: widestCount; font.pixelSize: 13; text: lightNumber.label + " " + maxLightNumber }
                Button {
                    id: deleteLight
                    objectName: "deleteLight"
                    width: parent.fixtureButtonWidth
                    height: parent.height
                    text: qsTr("删除灯具")
                    activeFocusOnTab: false
                    onClicked: text_control.removeFixture()
                }
                Button {
                    id: addLight
                    objectName: "addLight"
                    width: parent.fixtureButtonWidth
                    height: parent.height
                    text: qsTr("添加灯具")
                    activeFocusOnTab: false
                    onClicked: text_control.addFixture(ch_type.currentIndex)
                }
                ComboBox {
                    id: ch_type
                    objectName: "ch_type"
                    width: Math.max(120, 0.3 * fixturePane.width)
                    height: parent.height
                    currentIndex: 0
                    style: ComboBoxStyle { font.pixelSize: 13 }
                    model: fixture_catalogue.names
                }
                Text {
                    id: lightNumber
                    objectName: "lightNumber"
                    readonly property string label: qsTr("mounts:")
                    width: Math.ceil(widestCount.advanceWidth) + 4
                    height: parent.height
                    verticalAlignment: Text.AlignVCenter
                    font.pixelSize: 13
                    text: label + " " + light_number
                }
                ListView {
                    id: light_fix_select
                    objectName: "light_fix_select"
                    width: Math.max(0, fixturePane.width - x)
                    height: fixturePane.height
                    orientation: ListView.Horizontal
                    clip: true
                    model: dmx_fix
                    delegate: LightFix {
                        height: light_fix_select.height
                    }
                }
            }
        }
    }

    // The song across the window with its beats and the range's steps along it, while the
    // show has a song and the user did not hide it. Stopped, a press picks the row playing
    // there and puts the playhead on it.
    SongTimeline {
        id: songStrip
        objectName: "songStrip"
        readonly property bool attached: song !== null && song.attached
        readonly property bool shown: attached && windowPlace.songStripShown
        anchors.top: dmxSpeedText.bottom
        width: root.width
        height: shown ? 90 : 0
        visible: shown
        model: dmx_list
        song: app.song || null
        // With the song loaded, its transport owns the playhead: a press seeks the song, and
        // the step under it becomes the current row without moving the range.
        onSeekRequested: {
            if (song_player.active) {
                song_player.seek(ms)
                return
            }
            if (dmx_list.playing)
                return
            playheadMs = ms
            var row = rowAt(ms)
            if (row >= 0)
                startPos(row)
        }
    }

    Binding {
        target: songStrip
        property: "playheadMs"
        value: song_player.positionMs
        when: song_player.active
    }

    DmxTable {
        id: dmxList
        objectName: "dmxList"
        width: root.width
        height: 0.6 * root.height - songStrip.height
        anchors.top: songStrip.bottom

        onClicked: {
            console.log("[!] log: " + row)
            startPos(row)
            text_control.stopRun()
        }
        onDoubleClicked: {
            endPos(row)
            text_control.stopRun()
        }
        Keys.onPressed: tableKey(event)
    }

    statusBar: StatusBar {
        style: StatusBarStyle {
            background: Rectangle {
                implicitHeight: 20
                implicitWidth: tableWidth
                gradient: Gradient {
                    GradientStop { position: 0; color: "red" }
                    GradientStop { position: 1; color: "white" }
                }
            }
        }

        Connections {
            target: dmx_list
            function onCurrentRowChanged(index) { followRow(index) }
        }

        RowLayout {
            anchors.fill: parent

            Label {
                id: statusText
                objectName: "statusText"
                text: dmx_list.playing ? qsTr("播放中…") : qsTr("已停止")
            }
            ProgressBar {
                id: statusBar
                objectName: "statusBar"
                Layout.preferredHeight: 20
                Layout.preferredWidth: tableWidth / 2
                // Gives way to a long file message in the label at the end.
                Layout.fillWidth: true
                Layout.maximumWidth: tableWidth / 2
                Layout.minimumWidth: tableWidth * 0.2
                orientation: Qt.Horizontal
                minimumValue: 0
                maximumValue: dmxList.rowCount
                value: dmx_list.currentRow + 1
                style: ProgressBarStyle {
                    id: statusBarStyle
                    background: Rectangle {
                        color: "lightgray"
                        border.width: 1
                        border.color: control.hovered ? "green" : "#25b1e8"
                        Text {
                            color: "#25b1e8"
                            anchors.right: parent.right
                            anchors.rightMargin: 5
                            anchors.verticalCenter: parent.verticalCenter
                            font.pixelSize: 13
                            text: Math.round(indexDown * 100) + "%"
                        }
                    }
                    // The fill carries a white copy of the percentage at the same place, so
                    // the part of it that the fill covers stays readable.
                    progress: Rectangle {
                        color: "#25b1e8"
                        clip: true
                        Text {
                            objectName: "progressTextOnFill"
                            color: "white"
                            x: control.width - 2 - 5 - width
                            y: (control.height - height) / 2 - 2
                            font.pixelSize: 13
                            text: Math.round(indexDown * 100) + "%"
                        }
                    }
                    panel: Item {
                        implicitWidth: tableWidth / 2
                        Loader {
                            anchors.fill: parent
                            sourceComponent: statusBarStyle.background
                        }
                        Loader {
                            objectName: "progressFill"
                            anchors.top: parent.top
                            anchors.left: parent.left
                            anchors.bottom: parent.bottom
                            anchors.margins: 2
                            width: indexDown * (parent.width - 4)
                            sourceComponent: statusBarStyle.progress
                        }
                    }
                }
            }
            Label {
                id: statusValue
                objectName: "statusValue"
                text: dmx_list.currentRow >= 0 ? dmx_list.currentRow : ""
            }
            // The rows the range covers, as shaded; nothing while the table is empty.
            Row {
                visible: dmx_list.rangeFirst >= 0
                spacing: 4
                Label { text: "[" }
                Label {
                    id: statusMinValue
                    objectName: "statusMinValue"
                    text: dmx_list.rangeFirst
                }
                Label { text: qsTr("至") }
                Label {
                    id: statusMaxValue
                    objectName: "statusMaxValue"
                    text: dmx_list.rangeLast
                }
                Label { text: "]" }
            }
            RemoteIndicator {
                id: remoteIndicator
                objectName: "remoteIndicator"
                onOpenSettings: remotePopup.open()
            }
            SyncIndicator {
                id: syncIndicator
                objectName: "syncIndicator"
                onOpenSettings: syncPopup.open()
            }
            // Cut at the window's edge with an ellipsis; the whole text shows on hover.
            Label {
                id: statesText
                objectName: "statesText"
                text: dmx_list.statusMessage
                elide: Text.ElideRight
                Layout.fillWidth: true
                Layout.minimumWidth: Math.min(implicitWidth, tableWidth * 0.65 - remoteIndicator.width
                                                             - syncIndicator.width - 10)

                MouseArea {
                    id: statesHover
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.NoButton
                }
                Tip.ToolTip.text: statesText.text
                Tip.ToolTip.visible: statesHover.containsMouse && statesText.truncated
                Tip.ToolTip.delay: 300
            }
        }
    }
}
