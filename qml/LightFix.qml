import QtQuick 2.10
import QtQuick.Controls 1.6

Rectangle {
    id: light_fix
    width: 30
    opacity: 0.7

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
}
