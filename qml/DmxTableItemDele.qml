import QtQuick 2.10
import QtQuick.Controls 1.6
import QtQuick.Controls.Styles 1.4

// One cell of the step table: the value as editable text over a bar of its level.
Item {
    id: itemDele

    property int modelValue: styleData.value || 0
    property int modelColumn: styleData.column || 0
    property int modelRow: styleData.row || 0
    property int num_value: 0

    height: singleLineHeight

    // Bar height for the text being shown; text that is no positive number draws no bar.
    function barHeight(text, full) {
        var top = modelColumn < 2 ? timeMax : dimMax
        var v = Number(text)
        return v > 0 ? full * (v % (top + 1)) / top : 0
    }

    // Stores the typed value clamped to the column's top. Text that is no number, or a
    // negative one, has no value for the unsigned cell: the stored value is shown again.
    function store() {
        var typed = d_text.text.trim()
        var v = Number(typed)
        if (typed === "" || isNaN(v) || v < 0) {
            // Edit rather than assign, so the text stays bound to the model.
            d_text.remove(0, d_text.length)
            d_text.insert(0, String(modelValue))
            return
        }
        var top = modelColumn < 2 ? timeMax : dimMax
        num_value = v > top ? top : v
        dmx_list.setDmxData(num_value, modelColumn, modelRow)
    }

    Rectangle {
        id: background_Rect
        anchors.fill: parent
        anchors.bottomMargin: 2
        radius: 2
        border.width: 1
        color: Number(d_text.text) === 128 ? "lightsteelblue" : "lightgray"
        border.color: dimTableView.lastColumn_Color(modelColumn, "yellow", "gray")

        Rectangle {
            id: bar_Rect
            anchors.bottom: parent.bottom
            width: parent.width
            height: barHeight(d_text.text, background_Rect.height)
            radius: 2
            color: "lightsteelblue"
            border.color: dimTableView.lastColumn_Color(modelColumn, "yellow", "steelblue")
        }
    }

    TextInput {
        id: d_text
        anchors.centerIn: parent
        selectByMouse: true
        text: modelValue
        onEditingFinished: store()
    }
}
