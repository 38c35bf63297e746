import QtQuick 2.10
import QtQuick.Controls 2.15

// OSC and MIDI at a glance in the status bar: whether they listen, the last message a
// controller sent and how many were refused. A click opens the remote settings.
Rectangle {
    id: indicator

    signal openSettings()

    readonly property bool active: remote.messageCount > 0 && flash.running
    implicitWidth: line.implicitWidth + 12
    implicitHeight: line.implicitHeight + 4
    radius: 3
    color: active ? "#d8f0d8" : "transparent"
    border.color: "#b0b0b0"

    // Lit for a moment after each message.
    Timer {
        id: flash
        interval: 400
    }
    Connections {
        target: remote
        function onActivityChanged() { flash.restart() }
    }

    readonly property bool off: !remote.oscListening && remote.oscError === "" && !remote.midi.available

    Row {
        id: line
        anchors.centerIn: parent
        spacing: 6
        // Both off: one short word, so that the status message keeps its room.
        Label {
            objectName: "remoteOff"
            visible: indicator.off
            text: qsTr("远程关")
            color: "gray"
        }
        Label {
            objectName: "remoteOscState"
            visible: !indicator.off
            text: remote.oscListening ? qsTr("OSC :%1").arg(remote.oscPort)
                                      : (remote.oscError !== "" ? qsTr("OSC 错误") : qsTr("OSC 关"))
            color: remote.oscError !== "" ? "red" : "black"
        }
        Label {
            objectName: "remoteMidiState"
            visible: !indicator.off
            text: remote.midi.available ? qsTr("MIDI %1").arg(remote.midi.api) : qsTr("MIDI 关")
        }
        Label {
            objectName: "remoteLastMessage"
            text: remote.lastMessage
            visible: text !== ""
            color: "#303030"
            elide: Text.ElideRight
            width: Math.min(implicitWidth, 220)
        }
        Label {
            objectName: "remoteErrorCount"
            text: qsTr("错误 %1").arg(remote.errorCount)
            visible: remote.errorCount > 0
            color: "red"
        }
    }
    MouseArea {
        id: hover
        anchors.fill: parent
        hoverEnabled: true
        onClicked: indicator.openSettings()
    }
    // Why MIDI is off (no sequencer, no JACK server) is said here as well as in the settings.
    ToolTip.text: remote.midi.problem === "" ? qsTr("远程控制 (OSC, MIDI)：点击打开设置")
                                             : qsTr("远程控制 (OSC, MIDI)：点击打开设置") + "\n"
                                               + qsTr("MIDI 不可用：%1").arg(remote.midi.problem)
    ToolTip.visible: hover.containsMouse
    ToolTip.delay: 300
}
