import QtQuick 2.10
import QtQuick.Controls 2.15

// Tempo, step length and timecode at a glance in the status bar. A click opens the settings.
Rectangle {
    id: indicator

    signal openSettings()

    // The core's own texts, to tell its states apart.
    readonly property bool fromClock: sync.tempoSource === qsTranslate("syncControl", "MIDI 时钟")
    readonly property bool stopped: sync.timecodeState === qsTranslate("syncControl", "时间码停止，输出保持")
    readonly property bool waiting: sync.timecodeState === qsTranslate("syncControl", "等待时间码")

    implicitWidth: line.implicitWidth + 12
    implicitHeight: line.implicitHeight + 4
    radius: 3
    color: "transparent"
    border.color: "#b0b0b0"

    // One baseline for the texts: Chinese and monospaced fonts are of other heights.
    Row {
        id: line
        anchors.centerIn: parent
        spacing: 6
        Label {
            id: tempoText
            objectName: "syncTempo"
            anchors.verticalCenter: parent.verticalCenter
            text: sync.bpm > 0 ? qsTr("%1 BPM").arg(sync.bpm.toFixed(1)) : qsTr("— BPM")
            color: sync.bpm > 0 ? "black" : "gray"
        }
        // The tempo follows a MIDI clock.
        Label {
            objectName: "syncClockMark"
            visible: indicator.fromClock
            text: qsTr("时钟")
            font.pixelSize: 10
            color: "white"
            anchors.verticalCenter: parent.verticalCenter
            leftPadding: 2
            rightPadding: 2
            background: Rectangle { color: "#2a7ab8"; radius: 2 }
        }
        Label {
            objectName: "syncBeatSteps"
            anchors.baseline: tempoText.baseline
            visible: sync.beatSteps > 0
            text: sync.beatSteps <= 1
                  ? qsTr("%1 拍/步", "one beat or less").arg(sync.beatSteps === 0.5 ? "½" : String(sync.beatSteps))
                  : qsTr("%1 拍/步", "several beats").arg(sync.beatSteps)
        }
        Label {
            objectName: "syncTimecode"
            anchors.baseline: tempoText.baseline
            visible: sync.timecodeSource !== ""
            text: sync.timecode
            font.family: "monospace"
            color: indicator.stopped ? "red" : (indicator.waiting ? "gray" : "black")
        }
        // A source that could not be opened, e.g. from the command line: chase is off.
        Label {
            objectName: "syncTimecodeError"
            visible: sync.timecodeProblem !== ""
            anchors.baseline: tempoText.baseline
            text: qsTr("时间码错误")
            color: "red"
        }
    }
    MouseArea {
        id: hover
        anchors.fill: parent
        hoverEnabled: true
        onClicked: indicator.openSettings()
    }
    ToolTip.text: (sync.timecodeProblem !== "" ? sync.timecodeProblem + "\n" : "")
                  + (sync.timecodeState !== "" ? sync.timecodeState + "\n" : "")
                  + qsTr("节拍与时间码：点击打开设置")
    ToolTip.visible: hover.containsMouse
    ToolTip.delay: 300
}
