import QtQuick 2.10
import QtQuick.Controls 1.6
import QtQuick.Controls.Styles 1.4

// A button of the panel above the table: never takes the keyboard focus from the table, and
// fills at least backgroundWidth with the blue gradient.
Button {
    property int backgroundWidth: 20

    height: parent.height
    activeFocusOnTab: false
    style: ButtonStyle {
        background: Rectangle {
            implicitWidth: control.backgroundWidth
            implicitHeight: parent.height
            border.color: "gray"
            border.width: control.activeFocus ? 2 : 1
            gradient: Gradient {
                GradientStop { position: 0; color: control.pressed ? "white" : "lightsteelblue" }
                GradientStop { position: 1; color: control.pressed ? "lightsteelblue" : "white" }
            }
        }
    }
}
