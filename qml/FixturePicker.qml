import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Layouts 1.2
import QtQuick.Dialogs 1.3 as Dialogs

// The fixture picker: the built-in types first, then the library's definitions, found by
// words of their manufacturer and model and by category; the chosen mode says its channel
// count. "添加" adds one fixture of it to the table as one undo step.
Popup {
    id: picker

    // For the tests and the screenshots.
    property alias searchField: search
    property alias categoryBox: categoryBox
    property alias list: list
    property alias modeBox: modeBox
    property alias addButton: addButton
    property alias message: message
    readonly property var chosen: list.currentItem ? list.currentItem.entry : null

    width: 560
    height: 440
    modal: false
    focus: true
    padding: 8

    function modeText(mode) {
        var count = qsTr("%n 通道", "", mode.channels)
        return mode.name === "" ? count : mode.name + " — " + count
    }

    // The chosen entry into the table; a refusal stays in the picker with its reason.
    function addChosen() {
        var entry = chosen
        if (!entry || entry.error !== "")
            return false
        var fixtures = dmx_list.fixtures
        var added = entry.builtIn ? fixtures.add(entry.type)
                                  : fixtures.addDefinition(entry.file, modeBox.currentIndex)
        message.text = added ? qsTr("已添加 %1").arg(entry.label)
                             : qsTr("无法添加 %1：%2").arg(entry.label).arg(
                                   entry.builtIn ? qsTr("灯具或通道已满") : fixtures.lastError())
        return added
    }

    onOpened: {
        fixture_picker.start()
        search.forceActiveFocus()
    }

    // A new search or category starts at its first entry.
    Connections {
        target: fixture_picker
        function onModelReset() { list.currentIndex = fixture_picker.count > 0 ? 0 : -1 }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 6

        RowLayout {
            Layout.fillWidth: true
            TextField {
                id: search
                objectName: "pickerSearch"
                Layout.fillWidth: true
                placeholderText: qsTr("搜索厂商或型号")
                selectByMouse: true
                onTextChanged: fixture_picker.search = text
            }
            ComboBox {
                id: categoryBox
                objectName: "pickerCategory"
                Layout.preferredWidth: 170
                model: [qsTr("全部类别")].concat(fixture_picker.categories)
                onActivated: fixture_picker.category = index === 0 ? "" : currentText
            }
        }

        ListView {
            id: list
            objectName: "pickerList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: fixture_picker
            currentIndex: 0
            highlightMoveDuration: 0
            ScrollBar.vertical: ScrollBar {}
            delegate: ItemDelegate {
                // What the picker adds when this row is chosen.
                readonly property var entry: ({builtIn: model.builtIn, type: model.type,
                                               label: model.label, file: model.file || "",
                                               error: model.error || "", modes: model.modes})
                width: list.width
                height: 26
                padding: 2
                leftPadding: 6
                highlighted: ListView.isCurrentItem
                background: Rectangle { color: highlighted ? "lightsteelblue" : "transparent" }
                contentItem: Row {
                    spacing: 8
                    Text {
                        // Undefined for a moment while the list lets a row go.
                        text: model.label !== undefined ? model.label : ""
                        color: model.error ? "gray" : "black"
                        font.pixelSize: 13
                        width: 300
                        elide: Text.ElideRight
                    }
                    Text {
                        text: model.builtIn ? qsTr("内置") : (model.error || model.category || "")
                        color: "dimgray"
                        font.pixelSize: 12
                        width: list.width - 330
                        elide: Text.ElideRight
                    }
                }
                onClicked: list.currentIndex = index
                onDoubleClicked: {
                    list.currentIndex = index
                    picker.addChosen()
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Label { text: qsTr("模式") }
            ComboBox {
                id: modeBox
                objectName: "pickerMode"
                Layout.fillWidth: true
                model: {
                    var out = []
                    var modes = chosen ? chosen.modes : []
                    for (var i = 0; modes && i < modes.length; ++i)
                        out.push(modeText(modes[i]))
                    return out
                }
            }
            Button {
                id: addButton
                objectName: "pickerAdd"
                text: qsTr("添加")
                enabled: chosen !== null && chosen.error === ""
                onClicked: picker.addChosen()
            }
            Button {
                text: qsTr("关闭")
                onClicked: picker.close()
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Label {
                id: message
                objectName: "pickerMessage"
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: fixture_picker.ready ? qsTr("灯具库：%n 个条目", "", fixture_picker.count)
                                           : qsTr("正在读取灯具库…")
            }
            Button {
                objectName: "pickerAddFile"
                text: qsTr("文件…")
                onClicked: placeChooser.dialog().openFor(false)
            }
            Button {
                objectName: "pickerAddFolder"
                text: qsTr("文件夹…")
                onClicked: placeChooser.dialog().openFor(true)
            }
        }
    }

    // A definition file or folder of the user's own, added to the library for this session.
    LazyDialog {
        id: placeChooser
        objectName: "placeChooser"
        sourceComponent: Dialogs.FileDialog {
            id: placeDialog
            title: qsTr("添加灯具定义文件或文件夹")
            nameFilters: [qsTr("灯具定义 (*.qxf *.json)")]

            function openFor(folders) {
                selectFolder = folders
                open()
            }

            onAccepted: fixture_picker.addPlace(decodeURIComponent(String(fileUrl).replace(/^file:\/\//, "")))
        }
    }
}
