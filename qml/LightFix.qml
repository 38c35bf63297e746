import QtQuick 2.10
import QtQuick.Controls 1.6
import QtQuick.Controls 2.2 as Tip

Rectangle {
    id: light_fix
    width: 30
    opacity: 0.7

    readonly property string typeText: model.fixType

    Text {
        id: text
        objectName: "fixIdText"
        anchors.left: parent.left
        width: implicitWidth
        height: light_fix.height
        font.pixelSize: 15
        text: model.fixID
    }

    CheckBox {
        id: changeEnableFlag
        objectName: "changeEnableFlag"
        anchors.left: text.right
        height: light_fix.height
        checked: model.fixSelect
        // The fixture announces no change, so the click alone keeps the two in step.
        onClicked: model.fixSelect = checked ? 1 : 0
    }

    // On top so that it sees the hover over the check box too; clicks pass through.
    MouseArea {
        id: hover
        anchors.fill: parent
        hoverEnabled: true
        acceptedButtons: Qt.NoButton
    }

    Tip.ToolTip.text: typeText
    Tip.ToolTip.visible: hover.containsMouse
    Tip.ToolTip.delay: 500
}
