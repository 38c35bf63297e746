import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.15

// Copies the levels of one fixture over the play range onto other fixtures of its kind, the
// n-th chosen one n × the offset steps behind, as one undo step.
Dialog {
    id: dialog
    objectName: "fixtureCopyDialog"
    title: qsTr("复制灯具编程")
    modal: true
    closePolicy: Popup.CloseOnEscape

    property int fixture: -1
    property var others: []
    property var chosen: []
    property alias offsetBox: offsetBox
    property alias copyButton: copyButton

    function openFor(tableColumn) {
        fixture = dmx_list.effects.fixtureAt(tableColumn)
        others = dmx_list.effects.sameKind(fixture)
        chosen = others.map(function() { return true })
        open()
    }

    function targets() {
        var out = []
        for (var i = 0; i < others.length; ++i) {
            if (chosen[i])
                out.push(others[i])
        }
        return out
    }

    function copy() {
        if (dmx_list.effects.copyFixture(fixture, targets(), offsetBox.value))
            dmx_list.statusMessage = qsTr("已复制灯具 %1 的编程").arg(fixture + 1)
        close()
    }

    onClosed: refocusWindow()

    ColumnLayout {
        Label {
            text: dialog.others.length > 0
                  ? qsTr("灯具 %1 的第 %2–%3 步复制到：").arg(dialog.fixture + 1)
                    .arg(dmx_list.rangeFirst + 1).arg(dmx_list.rangeLast + 1)
                  : qsTr("没有同类灯具")
        }
        Flow {
            Layout.fillWidth: true
            Layout.maximumWidth: 420
            Repeater {
                model: dialog.others
                CheckBox {
                    objectName: "copyTarget"
                    text: qsTr("灯具 %1").arg(modelData + 1)
                    checked: dialog.chosen[index] === true
                    onToggled: {
                        var now = dialog.chosen.slice()
                        now[index] = checked
                        dialog.chosen = now
                    }
                }
            }
        }
        RowLayout {
            Label { text: qsTr("每台落后（步）") }
            SpinBox {
                id: offsetBox
                objectName: "copyOffset"
                from: 0; to: 9999; editable: true
            }
        }
        RowLayout {
            Layout.alignment: Qt.AlignRight
            Button {
                id: copyButton
                objectName: "copyFixture"
                text: qsTr("复制")
                enabled: dialog.targets().length > 0 && dmx_list.rangeFirst >= 0
                onClicked: dialog.copy()
            }
            Button {
                text: qsTr("取消")
                onClicked: dialog.close()
            }
        }
    }
}
