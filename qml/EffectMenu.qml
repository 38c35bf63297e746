import QtQuick 2.15
import QtQuick.Controls 2.15

// The generators offered on a column title or a cell of the play range: fill the column, the
// same channel of every fixture of its kind, or copy the fixture onto others.
Menu {
    id: menu
    objectName: "effectMenu"

    property int column: 3
    // Worked out on opening: the fixture list announces no change to this binding.
    property int fixture: -1
    property bool hasOthers: false

    function openFor(tableColumn, item, x, y) {
        column = tableColumn
        fixture = dmx_list.effects.fixtureAt(tableColumn)
        hasOthers = fixture >= 0 && dmx_list.effects.sameKind(fixture).length > 0
        popup(item, x, y)
    }

    MenuItem {
        objectName: "fillColumn"
        text: qsTr("生成效果…")
        enabled: menu.column > 0
        onTriggered: generatorDialog.openFor(menu.column)
    }
    MenuItem {
        objectName: "fillSameChannel"
        text: qsTr("同类灯具的此通道…")
        enabled: menu.fixture >= 0
        onTriggered: {
            generatorDialog.openFor(menu.column)
            generatorDialog.targetBox.currentIndex = 1
        }
    }
    MenuItem {
        objectName: "copyFixtureItem"
        text: qsTr("复制灯具编程…")
        enabled: menu.hasOthers
        onTriggered: fixtureCopyDialog.openFor(menu.column)
    }
}
