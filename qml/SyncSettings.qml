import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.2

// Tempo, step length and timecode chase in one place. Everything shown is the core's own
// state; the buttons and the field hand their choice to it.
Popup {
    id: settings

    // For the tests and the screenshots.
    property alias tapButton: tapButton
    property alias beatButtons: beatButtons
    property alias sourceButtons: sourceButtons
    property alias offsetField: offsetField
    property alias offsetMessage: offsetMessage
    property alias problemText: problemText

    // The offset last refused, shown until one is taken.
    property string refusedOffset: ""

    readonly property var sources: [
        { value: "", text: qsTr("关") }, { value: "artnet", text: "Art-Net" },
        { value: "mtc", text: "MTC" }, { value: "ltc", text: "LTC" }
    ]

    modal: false
    focus: true
    padding: 10

    function beatText(beats) {
        if (beats === 0)
            return qsTr("保持时间")
        if (beats <= 1)
            return qsTr("%1 拍", "one beat or less").arg(beats === 0.5 ? "½" : String(beats))
        return qsTr("%1 拍", "several beats").arg(beats)
    }

    function applyOffset() {
        if (sync.setTimecodeOffset(offsetField.text.trim())) {
            refusedOffset = ""
            return
        }
        refusedOffset = offsetField.text
        offsetField.text = Qt.binding(function () { return sync.timecodeOffset })
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        Label { text: qsTr("节拍"); font.bold: true }
        RowLayout {
            spacing: 12
            ColumnLayout {
                spacing: 0
                Label {
                    objectName: "syncSettingsBpm"
                    text: sync.bpm > 0 ? qsTr("%1 BPM").arg(sync.bpm.toFixed(1)) : qsTr("— BPM")
                    font.pixelSize: 28
                    color: sync.bpm > 0 ? "black" : "gray"
                }
                Label {
                    text: sync.tempoSource !== "" ? qsTr("来源：%1").arg(sync.tempoSource)
                                                  : qsTr("敲击按钮、T 键或 MIDI 时钟")
                    color: "#505050"
                }
            }
            Item { Layout.fillWidth: true }
            Button {
                id: tapButton
                objectName: "syncTapButton"
                text: qsTr("敲击 (T)")
                font.pixelSize: 18
                Layout.preferredWidth: 130
                Layout.preferredHeight: 56
                focusPolicy: Qt.NoFocus
                onClicked: sync.tap()
            }
        }

        Label { text: qsTr("步长"); font.bold: true; topPadding: 6 }
        Row {
            id: beatButtons
            spacing: 4
            Repeater {
                model: sync.beatChoices()
                Button {
                    objectName: "syncBeat_" + modelData
                    text: settings.beatText(modelData)
                    highlighted: sync.beatSteps === modelData
                    onClicked: sync.beatSteps = modelData
                }
            }
        }

        Label { text: qsTr("时间码"); font.bold: true; topPadding: 6 }
        Row {
            id: sourceButtons
            spacing: 4
            Repeater {
                model: settings.sources
                Button {
                    objectName: "syncSource_" + (modelData.value || "off")
                    text: modelData.text
                    highlighted: sync.timecodeSource === modelData.value
                    onClicked: sync.setTimecodeSource(modelData.value)
                }
            }
        }
        Label {
            id: problemText
            objectName: "syncProblem"
            visible: text !== ""
            text: sync.timecodeProblem
            color: "red"
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        RowLayout {
            Label { text: qsTr("偏移 (HH:MM:SS:FF)：") }
            TextField {
                id: offsetField
                objectName: "syncOffsetField"
                text: sync.timecodeOffset
                font.family: "monospace"
                selectByMouse: true
                Layout.preferredWidth: 140
                onEditingFinished: settings.applyOffset()
                background: Rectangle {
                    implicitWidth: 140
                    implicitHeight: 36
                    border.width: offsetField.activeFocus || settings.refusedOffset !== "" ? 2 : 1
                    border.color: settings.refusedOffset !== "" ? "red"
                                  : (offsetField.activeFocus ? "#0066ff" : "#bdbdbd")
                }
            }
        }
        Label {
            id: offsetMessage
            objectName: "syncOffsetMessage"
            visible: settings.refusedOffset !== ""
            text: qsTr("“%1”不是有效的时间，偏移仍为 %2").arg(settings.refusedOffset).arg(sync.timecodeOffset)
            color: "red"
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        RowLayout {
            Label { text: qsTr("当前：") }
            Label {
                objectName: "syncSettingsTimecode"
                text: sync.timecode
                font.family: "monospace"
                font.pixelSize: 20
            }
            Label {
                objectName: "syncSettingsState"
                text: sync.timecodeSource !== "" ? sync.timecodeState : qsTr("不跟随时间码")
                color: text === qsTranslate("syncControl", "时间码停止，输出保持") ? "red" : "#505050"
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
        }
        RowLayout {
            Item { Layout.fillWidth: true }
            Button {
                text: qsTr("关闭")
                onClicked: settings.close()
            }
        }
    }
}
