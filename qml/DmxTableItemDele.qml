import QtQuick 2.15
import QtQuick.Controls 2.15 as Tip
import ov.qt.dmx 1.0

// One cell of the step table: the value as a number over a bar of its level. A press on the
// number opens an editor for it; a press beside it picks the row. The step number column
// shows its plain number only. On a channel of a fixture from a definition the tooltip names
// the range the value falls in, and the right button lists the channel's ranges.
Item {
    id: itemDele
    objectName: "cell"

    readonly property int modelRow: row
    // The table column of the view's column 0.
    property int columnOffset: 0
    readonly property int modelColumn: columnOffset + column
    // The view model reads the cell through the column's role of the step model.
    readonly property int modelValue: model.value !== undefined ? model.value : 0
    // In the channel view every column is a channel; a page turn hands the cells other
    // columns, and what follows from the column alone is not worked out again for them.
    property bool channelView: false
    // The view model offers some spare rows past the last step; they have no value.
    visible: model.value !== undefined
    property int num_value: 0
    readonly property bool editing: editor.item !== null
    readonly property bool valueCell: modelColumn > 0
    // A generated value shown before it is kept.
    readonly property bool previewed: dmx_list.effects.pending && dmx_list.effects.revision > 0
                                      && dmx_list.effects.isPreview(modelRow, modelColumn)
    // False while the cell waits in the reuse pool with the place it had before.
    property bool inView: true
    // 1 for the first fixture's first channel.
    readonly property int channel: modelColumn - 2
    // Under the pointer; the table's one watch over the channel view sets it.
    property bool hovered: false
    // Asked only under the pointer: the cells in view never ask the model at all otherwise.
    readonly property string valueName: hovered && channel > 0 && !editing
                                        && !capabilityMenu.visible
                                        ? dmx_list.fixtures.valueName(channel, modelValue) : ""

    // Read only under the pointer, so that a new value costs the cells in view nothing here.
    Tip.ToolTip.text: valueName !== "" ? modelValue + " — " + valueName : ""
    Tip.ToolTip.visible: valueName !== ""
    Tip.ToolTip.delay: 300

    // A capability picked in the menu is stored as a typed value is, into this row and column.
    function openCapabilities(x, y) {
        var row = modelRow
        var column = modelColumn
        return capabilityMenu.showFor(channel, itemDele, x, y, function(value) {
            dmx_list.setDmxData(value, column, row)
        })
    }

    // Stores the typed value clamped to the column's top. Text that is no number, or a
    // negative one, has no value for the unsigned cell and stores nothing.
    function store(typed) {
        typed = typed.trim()
        var v = Number(typed)
        if (typed === "" || isNaN(v) || v < 0)
            return
        var top = modelColumn < 2 ? timeMax : dimMax
        num_value = v > top ? top : v
        dmx_list.setDmxData(num_value, modelColumn, modelRow)
    }

    function startEdit(x) {
        editor.active = true
        var input = editor.item
        input.text = String(modelValue)
        input.forceActiveFocus()
        input.cursorPosition = input.positionAt(x - input.x, input.height / 2)
    }

    // The model announces the cells an edit stored; a refused or invalid entry stored nothing,
    // and the cell goes on showing the model's value.
    function finishEdit() {
        if (!editing)
            return
        var input = editor.item
        var hadFocus = input.activeFocus
        store(input.text)
        editor.active = false
        if (hadFocus)
            dimTableView.forceActiveFocus()
    }

    // Stores the value and goes on to the cell `step` columns away in the same row.
    function editNext(step) {
        var row = modelRow
        var column = modelColumn
        finishEdit()
        dimTableView.editCell(row, column + step)
    }

    TableView.onPooled: {
        finishEdit()
        inView = false
        hovered = false
    }
    TableView.onReused: inView = true

    // Frame, level bar and number, drawn as images shared by the cells that look alike; the
    // step number has the number only.
    CellFace {
        id: face
        objectName: "cellFace"
        framed: valueCell
        anchors.fill: parent
        anchors.bottomMargin: 2
        value: modelValue
        top: channelView ? dimMax : modelColumn < 2 ? timeMax : dimMax
        editing: itemDele.editing
        editText: editing ? editor.item.text : ""
        previewed: itemDele.previewed
        column: modelColumn
        fixtureEnds: posArrary
        textHeight: itemDele.height
    }

    MouseArea {
        id: cellMouse
        property bool pressOpenedEditor: false
        anchors.fill: parent
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onPressed: {
            if (mouse.button === Qt.RightButton) {
                pressOpenedEditor = true
                if (valueCell && (channel <= 0 || !openCapabilities(mouse.x, mouse.y)))
                    effectMenu.openFor(modelColumn, itemDele, mouse.x, mouse.y)
                return
            }
            pressOpenedEditor = valueCell && Math.abs(mouse.x - width / 2) <= face.contentWidth / 2 + 2
            if (pressOpenedEditor)
                startEdit(mouse.x)
        }
        onClicked: {
            if (pressOpenedEditor)
                return
            if (mouse.modifiers & Qt.ShiftModifier)
                dimTableView.pickEnd(modelRow, false)
            else
                dimTableView.pickStart(modelRow)
        }
        onDoubleClicked: {
            if (!pressOpenedEditor)
                dimTableView.pickEnd(modelRow, true)
        }
    }

    Loader {
        id: editor
        active: false
        // Out of the scene while no value is typed: the renderer walks every cell it moves.
        visible: active
        anchors.fill: parent
        z: 1
        sourceComponent: TextInput {
            objectName: "cellEditor"
            anchors.fill: parent
            anchors.bottomMargin: 2
            horizontalAlignment: TextInput.AlignHCenter
            verticalAlignment: TextInput.AlignVCenter
            selectByMouse: true
            clip: true
            onEditingFinished: Qt.callLater(itemDele.finishEdit)
            // Later, as the editor goes with the edit it finishes.
            Keys.onTabPressed: Qt.callLater(itemDele.editNext, 1)
            Keys.onBacktabPressed: Qt.callLater(itemDele.editNext, -1)
        }
    }
}
