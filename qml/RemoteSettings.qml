import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.2

// Remote control in one place: where OSC listens, which MIDI devices are connected, and
// the MIDI bindings, learned by picking an action and moving the control.
Popup {
    id: settings

    // For the tests and the screenshots.
    property alias portField: portField
    property alias addressBox: addressBox
    property alias actionBox: actionBox
    property alias argumentField: argumentField
    property alias learnButton: learnButton
    property alias bindingList: bindingList
    property alias message: message

    readonly property QtObject midi: remote.midi

    width: 560
    height: 540
    modal: false
    focus: true
    padding: 10

    // The action's name as the list shows it; the OSC address names stay as they are.
    function actionText(name) {
        var names = {
            "play": qsTr("播放"), "stop": qsTr("停止"), "next": qsTr("下一步"),
            "previous": qsTr("上一步"), "step": qsTr("跳到步"), "range": qsTr("播放范围"),
            "output": qsTr("DMX输出"), "blackout": qsTr("黑场"), "speed": qsTr("速度"),
            "repeat": qsTr("循环次数"), "tap": qsTr("节拍")
        }
        return (names[name] || name) + " (" + name + ")"
    }

    function controlText(binding) {
        var kinds = { "note": qsTr("音符"), "cc": qsTr("控制器"), "program": qsTr("音色") }
        var text = qsTr("%1 %2，通道 %3").arg(kinds[binding.kind]).arg(binding.number)
                                     .arg(binding.channel + 1)
        return binding.args.length > 0 ? text + " [" + binding.args.join(" ") + "]" : text
    }

    // Numbers typed after the action: a step's row, a speed, a range's two rows.
    function learnArguments() {
        var words = argumentField.text.trim().split(/\s+/).filter(function (w) { return w !== "" })
        var action = actionBox.currentValue
        return words.map(function (w) { return action === "speed" ? parseFloat(w) : parseInt(w, 10) })
    }

    function applyOsc() {
        var port = parseInt(portField.text, 10)
        if (isNaN(port) || !remote.applyOsc(port, addressBox.currentText))
            message.text = qsTr("OSC 无法在 %1:%2 监听").arg(addressBox.currentText).arg(portField.text)
        else
            message.text = port === 0 ? qsTr("OSC 已关闭") : qsTr("OSC 在 %1:%2 监听").arg(addressBox.currentText).arg(port)
    }

    onClosed: midi.cancelLearn()

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        Label { text: qsTr("OSC"); font.bold: true }
        RowLayout {
            Label { text: qsTr("端口 (0 = 关)：") }
            TextField {
                id: portField
                objectName: "remotePortField"
                text: remote.oscPort
                validator: IntValidator { bottom: 0; top: 65535 }
                Layout.preferredWidth: 80
                selectByMouse: true
            }
            Label { text: qsTr("地址：") }
            ComboBox {
                id: addressBox
                objectName: "remoteAddressBox"
                model: remote.listenAddresses()
                currentIndex: Math.max(0, model.indexOf(remote.oscAddress))
                Layout.preferredWidth: 170
            }
            Button {
                objectName: "remoteApplyOsc"
                text: qsTr("应用")
                onClicked: applyOsc()
            }
        }
        Label {
            text: remote.oscListening ? qsTr("监听中：%1:%2").arg(remote.oscAddress).arg(remote.oscPort)
                                      : (remote.oscError !== "" ? remote.oscError : qsTr("OSC 已关闭"))
            color: remote.oscError !== "" ? "red" : "black"
        }

        Label { text: qsTr("MIDI"); font.bold: true; topPadding: 6 }
        Label {
            text: midi.available ? qsTr("端口“dmxplayer in”/“dmxplayer out”(%1)").arg(midi.api)
                                 : qsTr("MIDI 不可用：%1").arg(midi.problem)
            color: midi.available ? "black" : "red"
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        RowLayout {
            enabled: midi.available
            Label { text: qsTr("输入设备：") }
            ComboBox {
                objectName: "remoteMidiInput"
                model: [qsTr("(无)")].concat(midi.inputs)
                currentIndex: Math.max(0, model.indexOf(midi.input))
                onActivated: midi.connectInput(index === 0 ? "" : currentText)
                Layout.preferredWidth: 170
            }
            Label { text: qsTr("输出设备：") }
            ComboBox {
                objectName: "remoteMidiOutput"
                model: [qsTr("(无)")].concat(midi.outputs)
                currentIndex: Math.max(0, model.indexOf(midi.output))
                onActivated: midi.connectOutput(index === 0 ? "" : currentText)
                Layout.preferredWidth: 170
            }
        }
        RowLayout {
            Label { text: qsTr("学习：") }
            ComboBox {
                id: actionBox
                objectName: "remoteActionBox"
                model: midi.learnableActions()
                displayText: actionText(currentText)
                delegate: ItemDelegate {
                    width: actionBox.width
                    text: actionText(modelData)
                }
                Layout.preferredWidth: 170
            }
            TextField {
                id: argumentField
                objectName: "remoteArgumentField"
                placeholderText: qsTr("参数 (可选)")
                Layout.preferredWidth: 100
                selectByMouse: true
            }
            Button {
                id: learnButton
                objectName: "remoteLearnButton"
                text: midi.learning !== "" ? qsTr("取消") : qsTr("学习")
                onClicked: {
                    if (midi.learning !== "")
                        midi.cancelLearn()
                    else if (!midi.learn(actionBox.currentText, learnArguments()))
                        message.text = qsTr("无法学习 %1").arg(actionBox.currentText)
                }
            }
        }
        Label {
            objectName: "remoteLearnHint"
            visible: midi.learning !== ""
            text: qsTr("请按下或移动控制器上的一个按键、推子或旋钮，绑定到“%1”").arg(actionText(midi.learning))
            color: "darkorange"
        }
        Frame {
            Layout.fillWidth: true
            Layout.fillHeight: true
            padding: 2
            ListView {
                id: bindingList
                objectName: "remoteBindingList"
                anchors.fill: parent
                clip: true
                model: midi.bindings
                delegate: RowLayout {
                    width: bindingList.width
                    Label {
                        text: actionText(modelData.action) + " — " + controlText(modelData)
                        Layout.fillWidth: true
                        elide: Text.ElideRight
                    }
                    Button {
                        text: qsTr("删除")
                        onClicked: midi.removeBinding(index)
                    }
                }
                Label {
                    anchors.centerIn: parent
                    visible: bindingList.count === 0
                    text: qsTr("还没有绑定")
                    color: "gray"
                }
            }
        }
        RowLayout {
            Label {
                id: message
                objectName: "remoteMessage"
                Layout.fillWidth: true
                elide: Text.ElideRight
            }
            Button {
                text: qsTr("关闭")
                onClicked: settings.close()
            }
        }
    }
}
