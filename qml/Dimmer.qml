import QtQuick 2.10
import QtQuick.Controls 1.6
import QtQuick.Controls 2.15 as Tip
import QuickKit 1.0

// One channel of the fader strip: link flag, fader, channel number and snap flag of the
// delegate's dim object.
Rectangle {
    id: dimChannel
    objectName: "dimmer"
    width: faderWidth
    radius: 8
    // The strip looks like white at this opacity over the window, but is drawn opaque in the
    // colour that gives, with the opacity on its parts only: the same look (to one level of
    // 255, where the blends round differently), while the areas a level change repaints are
    // filled rather than blended.
    property real stripOpacity: 0.7
    color: over(stripBackdrop, Qt.rgba(1, 1, 1, 1))
    focus: true

    property int num: 0
    readonly property int num_value: model.dimValue

    readonly property bool patched: model.index < posCount - initChCount
    // The named range the level falls in, for a channel of a fixture from a definition;
    // asked only while the pointer is on the fader.
    readonly property string valueName: sizeSlider.hovered || sizeSlider.pressed
                                        ? dmx_list.fixtures.valueName(model.index + 1, num_value) : ""

    // A level the user gives. While playing it goes out live but not into the table, so the
    // dim object learns the run state first.
    function set_Text(val) {
        model.run_flag = dmx_list.playing
        model.dimValue = val
    }

    // What the colour c shows at the strip's opacity over the opaque colour base.
    function over(base, c) {
        return Qt.tint(base, Qt.rgba(c.r, c.g, c.b, c.a * stripOpacity))
    }

    // A long typed number saturates instead of wrapping, so Enter still clamps it to the top.
    function appendDigit(value, digit) {
        return Math.min(value * 10 + digit, 2147483647)
    }

    function toggleByHand() {
        if (sizeSlider.enabled) {
            dimChannel.stripOpacity = 0.5
            sizeSlider.enabled = false
            text2.color = "steelblue"
        } else {
            dimChannel.stripOpacity = 1
            sizeSlider.enabled = true
            sizeSlider.forceActiveFocus()
            text2.color = "red"
        }
    }

    function handleKey(event) {
        if (event.key === Qt.Key_End)
            set_Text(0)
        if (event.key === Qt.Key_Home)
            set_Text(dimMax)
        if (event.key === Qt.Key_PageUp)
            set_Text(Math.min(dimMax, num_value + 10))
        if (event.key === Qt.Key_PageDown)
            set_Text(Math.max(0, num_value - 10))
        if (event.key >= Qt.Key_0 && event.key <= Qt.Key_9) {
            if (num < 0)
                num = 0
            num = appendDigit(num, event.key - 48)
        }
        if (event.key === Qt.Key_Enter) {
            if (num >= 0)
                set_Text(Math.min(num, dimMax))
            num = -1
        }
    }

    Keys.onPressed: handleKey(event)

    // The strip comes to the front while its check box tip shows, so its neighbours do not
    // cover the text.
    z: checkBoxTip.visible ? 1 : 0

    // A new level marks this plain rectangle behind the fader for repaint: the software
    // renderer then joins the strips into one plain band, where the handles' small rects at
    // many heights would cut its dirty region into thousands of pieces per frame. Being
    // opaque and square, it spares the renderer what lies under it, and the check boxes, the
    // number and the strip's rounded ends outside it stay as they were drawn.
    Rectangle {
        id: repaintMark
        // Whole pixels: the renderer takes an opaque area's edge rows as covered, which a
        // fraction of a pixel would leave unpainted.
        y: Math.ceil(sizeSlider.y)
        width: dimChannel.width
        height: Math.floor(sizeSlider.y + sizeSlider.height) - y
        color: dimChannel.color
    }

    CusSlider_vertical {
        id: sizeSlider
        objectName: "sizeSlider"
        width: implicitWidth
        height: 0.7 * dimChannel.height
        y: linkage_Flag.height
        anchors.horizontalCenter: parent.horizontalCenter
        orientation: Qt.Vertical
        from: 0
        to: dimMax
        stepSize: 1
        value: model.dimValue
        wheelEnabled: true
        hoverEnabled: true
        activeFocusOnTab: true
        enabled: dimChannel.patched
        // Outside the strip's parts, the fader takes the strip's opacity in its colours: track
        // and fill opaque over the strip, so that they too are filled rather than blended.
        trackColor: dimChannel.over(dimChannel.color, CusConfig.controlBorderColor)
        fillColor: dimChannel.over(trackColor, CusConfig.controlBorderColor_hovered)
        handleOpacity: dimChannel.stripOpacity

        onValueChanged: repaintMark.update()
        // Only a drag, the wheel or a key writes: a level the fader received from the core
        // is never written back, as it may be older than the core's by then.
        onMoved: set_Text(value)

        // Read only under the pointer, so that a new level costs nothing here.
        Tip.ToolTip.text: dimChannel.valueName !== ""
                          ? dimChannel.num_value + " — " + dimChannel.valueName : ""
        Tip.ToolTip.visible: dimChannel.valueName !== ""
        Tip.ToolTip.delay: 300

        // The channel's named ranges; the pick goes in as a level the user gives.
        MouseArea {
            objectName: "faderMenuArea"
            anchors.fill: parent
            acceptedButtons: Qt.RightButton
            onPressed: capabilityMenu.showFor(model.index + 1, sizeSlider, mouse.x, mouse.y,
                                              function(value) { dimChannel.set_Text(value) })
        }
    }

    Item {
        id: parts
        objectName: "stripParts"
        anchors.fill: parent
        opacity: dimChannel.stripOpacity

        CheckBox {
            id: linkage_Flag
            objectName: "linkage_Flag"
            anchors.top: parent.top
            anchors.horizontalCenter: parent.horizontalCenter
            height: 0.07 * dimChannel.height
            activeFocusOnTab: false
            property string tip: qsTr("联动：移动此推子时，编号更小且也勾选了联动的通道在当前步取同一数值")
            checked: model.dimLinkage
            onClicked: {
                model.dimLinkage = checked
                // The box's own toggle replaced the binding; the channel stays the source.
                checked = Qt.binding(function() { return model.dimLinkage })
            }
        }

        Text {
            id: text2
            objectName: "dimNumber"
            y: sizeSlider.y + sizeSlider.height
            anchors.horizontalCenter: parent.horizontalCenter
            width: implicitWidth
            height: 0.08 * dimChannel.height
            // Three-digit numbers at 15 px would touch their neighbours.
            font.pixelSize: text.length > 2 ? 12 : 15
            color: dimChannel.patched ? "red" : "steelblue"
            text: model.dimNum

            MouseArea {
                id: numberArea
                objectName: "dimNumberArea"
                anchors.fill: parent
                hoverEnabled: true
                onClicked: toggleByHand()
            }
            // Fixture, mode and channel name, asked only under the pointer.
            Tip.ToolTip.text: numberArea.containsMouse ? dmx_list.fixtures.channelName(model.index + 1) : ""
            Tip.ToolTip.visible: Tip.ToolTip.text !== ""
            Tip.ToolTip.delay: 300
        }

        CheckBox {
            id: changeEnableFlag
            objectName: "changeEnableFlag"
            anchors.top: text2.bottom
            anchors.bottom: parent.bottom
            anchors.horizontalCenter: parent.horizontalCenter
            height: 0.07 * dimChannel.height
            activeFocusOnTab: false
            property string tip: qsTr("跳变：播放时此通道直接跳到每一步的数值，不渐变；随节目一起保存")
            checked: model.dimEn
            onClicked: {
                model.dimEn = checked
                // A file load announces dimEn; the box must keep following it after a click.
                checked = Qt.binding(function() { return model.dimEn })
            }
        }

        // Says what the check box under the pointer does, after a short rest on it.
        Rectangle {
            id: checkBoxTip
            objectName: "checkBoxTip"
            property Item source: linkage_Flag.hovered ? linkage_Flag
                                  : changeEnableFlag.hovered ? changeEnableFlag : null
            property bool rested: false
            readonly property real stripX: dimChannel.ListView.view
                                           ? dimChannel.x - dimChannel.ListView.view.contentX : 0
            readonly property real viewWidth: dimChannel.ListView.view
                                              ? dimChannel.ListView.view.width : dimChannel.width

            visible: source !== null && rested
            width: tipText.implicitWidth + 10
            height: tipText.implicitHeight + 6
            // Inside the list: to the right of the box, or to its left near the list's end.
            x: Math.max(-stripX, Math.min(0, viewWidth - stripX - width))
            y: source === changeEnableFlag ? changeEnableFlag.y - height - 2
                                           : linkage_Flag.y + linkage_Flag.height + 2
            color: "#ffffe1"
            border.color: "gray"
            radius: 3

            onSourceChanged: {
                rested = false
                if (source)
                    restTimer.restart()
            }

            Timer {
                id: restTimer
                interval: 500
                onTriggered: checkBoxTip.rested = true
            }
            Text {
                id: tipText
                objectName: "checkBoxTipText"
                anchors.centerIn: parent
                font.pixelSize: 13
                text: checkBoxTip.source ? checkBoxTip.source.tip : ""
            }
        }
    }
}
