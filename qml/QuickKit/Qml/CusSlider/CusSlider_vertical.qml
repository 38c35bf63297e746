import QtQuick 2.9
import QtQuick.Controls 2.2
import ".."
import "../.."
import ov.qt.dmx 1.0

Slider {
    id: cusSlider

    property bool showNumber: true
    // Distance of the pointer below the knob's centre while the knob is held. The slider
    // places the knob's centre under the pointer; shifting the paddings by this distance
    // keeps the knob where it was grabbed, so a click that only focuses the fader leaves
    // its value alone and a drag moves it by the distance dragged.
    property real grabOffset: 0
    readonly property real edgePadding: 6
    // A fader drawn over an opaque backdrop may give its track and fill as the opaque
    // colours they show there, and the handle's opacity apart.
    property color trackColor: CusConfig.controlBorderColor
    property color fillColor: CusConfig.controlBorderColor_hovered
    property real handleOpacity: 1

    width: parent.width
    height: parent.height
    orientation: Qt.Vertical
    // Strips stand side by side; without side padding the control stays as wide as its
    // handle and never reaches over the neighbouring strip.
    leftPadding: 1
    rightPadding: 1
    topPadding: edgePadding + grabOffset
    bottomPadding: edgePadding - grabOffset

    onPressedChanged: grabOffset = pressed && handleArea.containsMouse
                      ? handleArea.mouseY - handle.height / 2 : 0

    background: Rectangle {
        implicitWidth: cusSlider.width / 8
        width: implicitWidth
        height: cusSlider.availableHeight
        x: cusSlider.leftPadding + cusSlider.availableWidth / 2 - width / 2
        y: cusSlider.edgePadding
        radius: CusConfig.controlBorderRadius
        color: cusSlider.trackColor

        Rectangle {
            objectName: "sliderFill"
            anchors.bottom: parent.bottom
            width: parent.width
            height: parent.height * (1 - cusSlider.visualPosition)
            radius: CusConfig.controlBorderRadius
            color: cusSlider.fillColor
        }
    }

    handle: Rectangle {
        implicitWidth: 28
        implicitHeight: implicitWidth
        radius: width / 2
        opacity: cusSlider.handleOpacity
        x: cusSlider.leftPadding + cusSlider.availableWidth / 2 - width / 2
        y: cusSlider.edgePadding + cusSlider.visualPosition * (cusSlider.availableHeight - height)
        color: handleArea.handlePressed ? CusConfig.controlColor_pressed
                                        : handleArea.handleHovered ? CusConfig.controlColor_hovered
                                                                   : CusConfig.controlColor
        border.width: 1
        border.color: handleArea.handleHovered || handleArea.handlePressed || cusSlider.activeFocus
                      ? CusConfig.controlBorderColor_hovered : CusConfig.controlBorderColor

        // Under the software renderer the number is drawn without a text item: it changes
        // at every frame of a fade. Until the handle is in a window its renderer is unknown.
        Loader {
            anchors.centerIn: parent
            visible: cusSlider.showNumber
            sourceComponent: GraphicsInfo.api === GraphicsInfo.Software
                             || GraphicsInfo.api === GraphicsInfo.Unknown ? drawnNumber : labelNumber
        }

        Component {
            id: drawnNumber

            TextFace {
                objectName: "sliderNumber"
                text: Math.round(cusSlider.value)
                color: handleArea.numberColor
                font.family: CusConfig.fontFamily
                font.pixelSize: CusConfig.fontPixel
            }
        }

        Component {
            id: labelNumber

            CusLabel {
                objectName: "sliderNumber"
                horizontalAlignment: Text.AlignHCenter
                text: Math.round(cusSlider.value)
                color: handleArea.numberColor
            }
        }

        TransArea {
            id: handleArea

            property bool handleHovered: false
            property bool handlePressed: handleHovered && cusSlider.pressed
            readonly property color numberColor: handleHovered || handlePressed
                                                 ? CusConfig.textColor_pressed : CusConfig.textColor

            onEntered: handleHovered = true
            onExited: handleHovered = false
        }
    }
}
