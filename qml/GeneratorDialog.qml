import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// One dialog for every generator: it fills the chosen columns over the play range, and the
// table shows (and playback plays) the result while any parameter changes. "保留" keeps it
// as one undo step; "取消", Escape or closing leaves the table as it was.
Dialog {
    id: dialog
    objectName: "generatorDialog"
    title: qsTr("生成效果")
    modal: true
    // The table stays undimmed: the preview in its cells is what the dialog is for.
    dim: false
    closePolicy: Popup.CloseOnEscape

    readonly property QtObject effects: dmx_list.effects
    // The table column the dialog was opened on (3 = the first channel).
    property int column: 3
    property bool kept: false
    readonly property var shapes: ["ramp", "sine", "triangle", "square", "saw", "random",
        "named", "constant"]
    readonly property var easings: ["linear", "in", "out", "inOut"]
    property alias targetBox: targetBox
    property alias shapeBox: shapeBox
    property alias fromBox: fromBox
    property alias toBox: toBox
    property alias cyclesBox: cyclesBox
    property alias phaseBox: phaseBox
    property alias spreadBox: spreadBox
    property alias seedBox: seedBox
    property alias keepButton: keepButton
    property alias cancelButton: cancelButton
    readonly property bool waveShape: ["sine", "triangle", "square", "saw"].indexOf(shape) >= 0
    readonly property string shape: shapes[shapeBox.currentIndex]
    property var named: []
    property var namedChosen: []
    property bool previewShown: false
    // Playing or not when the dialog opened: a trial run ends with the dialog.
    property bool playedBefore: false

    function openFor(tableColumn) {
        // A value still being typed is stored first; its editor would hide the preview.
        dmxList.finishEditing()
        playedBefore = dmx_list.playing
        column = Math.max(1, tableColumn)
        targetBox.currentIndex = column === 1 ? 3 : column === 2 ? 4 : 0
        firstChannel.value = Math.max(1, column - 2)
        lastChannel.value = Math.max(1, column - 2)
        named = effects.namedValues(column)
        namedChosen = named.map(function() { return true })
        kept = false
        open()
    }

    // The table columns the fill writes.
    function targets() {
        switch (targetBox.currentIndex) {
        case 1:
            return effects.sameChannel(column)
        case 2: {
            var out = []
            var a = Math.min(firstChannel.value, lastChannel.value)
            var b = Math.max(firstChannel.value, lastChannel.value)
            for (var c = a; c <= b; ++c)
                out.push(c + 2)
            return out
        }
        case 3:
            return [1]
        case 4:
            return [2]
        default:
            return [column]
        }
    }

    function namedValues() {
        var out = []
        for (var i = 0; i < named.length; ++i) {
            if (namedChosen[i])
                out.push(named[i].value)
        }
        return out
    }

    function params() {
        return {
            shape: shape, a: fromBox.value, b: toBox.value, cycles: cyclesBox.value,
            phase: phaseBox.value / 360, spread: spreadBox.value / 360,
            easing: easings[easingBox.currentIndex], seed: seedBox.value,
            values: namedValues(), columns: targets()
        }
    }

    function update() {
        if (visible)
            previewShown = effects.preview(params())
    }

    function changed() {
        Qt.callLater(update)
    }

    function keep() {
        kept = true
        effects.keep()
        close()
    }

    onOpened: update()
    onClosed: {
        if (dmx_list.playing !== playedBefore)
            playedBefore ? text_control.startRun() : text_control.stopRun()
        if (!kept)
            effects.cancel()
        refocusWindow()
    }

    GridLayout {
        columns: 2
        columnSpacing: 12

        Label { text: qsTr("填充") }
        ComboBox {
            id: targetBox
            objectName: "generatorTarget"
            Layout.fillWidth: true
            model: [qsTr("此列"), qsTr("同类灯具的此通道"), qsTr("通道范围"), qsTr("速度"),
                qsTr("渐变")]
            onCurrentIndexChanged: dialog.changed()
        }
        Label { text: qsTr("通道"); visible: targetBox.currentIndex === 2 }
        RowLayout {
            visible: targetBox.currentIndex === 2
            SpinBox {
                id: firstChannel
                from: 1; to: 512; editable: true
                onValueChanged: dialog.changed()
            }
            Label { text: "–" }
            SpinBox {
                id: lastChannel
                from: 1; to: 512; editable: true
                onValueChanged: dialog.changed()
            }
        }
        Label { text: qsTr("形状") }
        ComboBox {
            id: shapeBox
            objectName: "generatorShape"
            Layout.fillWidth: true
            model: [qsTr("斜坡"), qsTr("正弦"), qsTr("三角"), qsTr("方波"), qsTr("锯齿"),
                qsTr("随机"), qsTr("命名值"), qsTr("常量")]
            onCurrentIndexChanged: dialog.changed()
        }
        Label { text: dialog.shape === "constant" ? qsTr("数值") : qsTr("从 A 到 B") }
        RowLayout {
            SpinBox {
                id: fromBox
                objectName: "generatorA"
                from: 0; to: 9999; value: 0; editable: true
                onValueChanged: dialog.changed()
            }
            SpinBox {
                id: toBox
                objectName: "generatorB"
                visible: dialog.shape !== "constant" && dialog.shape !== "named"
                from: 0; to: 9999; value: 255; editable: true
                onValueChanged: dialog.changed()
            }
        }
        Label { text: qsTr("缓动"); visible: dialog.shape === "ramp" }
        ComboBox {
            id: easingBox
            visible: dialog.shape === "ramp"
            Layout.fillWidth: true
            model: [qsTr("线性"), qsTr("渐入"), qsTr("渐出"), qsTr("渐入渐出")]
            onCurrentIndexChanged: dialog.changed()
        }
        Label { text: qsTr("周期数"); visible: dialog.waveShape }
        SpinBox {
            id: cyclesBox
            objectName: "generatorCycles"
            visible: dialog.waveShape
            from: 1; to: 256; value: 1; editable: true
            onValueChanged: dialog.changed()
        }
        Label { text: qsTr("相位（度）"); visible: dialog.waveShape }
        SpinBox {
            id: phaseBox
            visible: dialog.waveShape
            from: 0; to: 359; stepSize: 15; editable: true
            onValueChanged: dialog.changed()
        }
        Label { text: qsTr("错开（度/列）") }
        SpinBox {
            id: spreadBox
            objectName: "generatorSpread"
            from: 0; to: 359; stepSize: 15; editable: true
            onValueChanged: dialog.changed()
        }
        Label { text: qsTr("种子"); visible: dialog.shape === "random" }
        RowLayout {
            visible: dialog.shape === "random"
            SpinBox {
                id: seedBox
                objectName: "generatorSeed"
                from: 1; to: 999999; value: 1; editable: true
                onValueChanged: dialog.changed()
            }
            Button {
                text: qsTr("新种子")
                onClicked: seedBox.value = effects.freshSeed()
            }
        }
        Label { text: qsTr("命名值"); visible: dialog.shape === "named" }
        Flow {
            visible: dialog.shape === "named"
            Layout.fillWidth: true
            Layout.maximumWidth: 420
            Repeater {
                model: dialog.named
                CheckBox {
                    objectName: "namedValue"
                    text: modelData.value + " " + modelData.name
                    checked: dialog.namedChosen[index] === true
                    onToggled: {
                        var chosen = dialog.namedChosen.slice()
                        chosen[index] = checked
                        dialog.namedChosen = chosen
                        dialog.changed()
                    }
                }
            }
        }
        Label {
            Layout.columnSpan: 2
            objectName: "generatorNote"
            color: effects.clamped || !dialog.previewShown ? "firebrick" : "black"
            text: !dialog.previewShown ? qsTr("没有播放范围或要填充的列")
                : effects.clamped ? qsTr("部分数值超出范围，已限制在该栏允许的范围内")
                : qsTr("预览：第 %1–%2 步").arg(dmx_list.rangeFirst).arg(dmx_list.rangeLast)
        }
        RowLayout {
            Layout.columnSpan: 2
            Layout.alignment: Qt.AlignRight
            Button {
                objectName: "generatorPlay"
                text: dmx_list.playing ? qsTr("停止") : qsTr("试播")
                onClicked: dmx_list.playing ? text_control.stopRun() : text_control.startRun()
            }
            Button {
                id: keepButton
                objectName: "generatorKeep"
                text: qsTr("保留")
                enabled: dialog.previewShown
                onClicked: dialog.keep()
            }
            Button {
                id: cancelButton
                objectName: "generatorCancel"
                text: qsTr("取消")
                onClicked: dialog.close()
            }
        }
    }
}
