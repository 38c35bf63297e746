import QtQuick 2.15
import QtTest 1.2
import QuickKit 1.0
import ov.qt.dmx 1.0

// A drawn text looks to the pixel as the text item it stands for, as the faders' handles show
// their numbers: centred on a translucent disc that sits at fractions of a pixel.
TestCase {
    id: testCase
    name: "TextFace"
    when: windowShown
    visible: true
    width: 200
    height: 60

    Component {
        id: pairComponent

        Item {
            property real shift: 0
            property string text: ""
            property color textColor: CusConfig.textColor
            property real discOpacity: 0.7
            property alias label: label
            property alias face: face

            anchors.fill: parent
            Rectangle {
                id: labelDisc
                x: 10 + shift
                y: 10 + shift
                width: 28
                height: 28
                radius: 14
                opacity: discOpacity
                color: CusConfig.controlColor
                CusLabel {
                    id: label
                    anchors.centerIn: parent
                    horizontalAlignment: Text.AlignHCenter
                    text: parent.parent.text
                    color: textColor
                }
            }
            Rectangle {
                x: labelDisc.x + 60
                y: labelDisc.y
                width: 28
                height: 28
                radius: 14
                opacity: discOpacity
                color: CusConfig.controlColor
                TextFace {
                    id: face
                    anchors.centerIn: parent
                    text: parent.parent.text
                    color: textColor
                    font.family: CusConfig.fontFamily
                    font.pixelSize: CusConfig.fontPixel
                }
            }
        }
    }

    function test_looksAsTheTextItem_data() {
        return [
            { tag: "one digit, whole pixels", text: "7", shift: 0, opacity: 0.7, pressed: false },
            { tag: "zero, a quarter off", text: "0", shift: 0.25, opacity: 0.7, pressed: false },
            { tag: "two digits, half off", text: "42", shift: 0.5, opacity: 0.7, pressed: true },
            { tag: "three digits, odd fraction", text: "128", shift: 0.73, opacity: 0.7, pressed: false },
            { tag: "full, opaque", text: "255", shift: 0.31, opacity: 1, pressed: true },
            { tag: "hundred, faint", text: "100", shift: 0.9, opacity: 0.5, pressed: false }
        ]
    }

    function test_looksAsTheTextItem(data) {
        var pair = createTemporaryObject(pairComponent, testCase, {
            text: data.text, shift: data.shift, discOpacity: data.opacity,
            textColor: data.pressed ? CusConfig.textColor_pressed : CusConfig.textColor
        })
        compare(pair.face.implicitWidth, pair.label.implicitWidth)
        compare(pair.face.implicitHeight, pair.label.implicitHeight)
        compare(differingPixels(pair), 0)
    }

    // Pixels around the text item that differ from those around the drawn text, which must show.
    function differingPixels(pair) {
        waitForRendering(pair)
        var image = grabImage(pair)
        var differing = 0
        var inked = 0
        for (var y = 5; y < 45; ++y) {
            for (var x = 5; x < 50; ++x) {
                var shown = image.pixel(x + 60, y)
                if (String(image.pixel(x, y)) !== String(shown))
                    ++differing
                if (shown.r < 0.7 || shown.g < 0.7)
                    ++inked
            }
        }
        verify(inked > 5, "the text is drawn")
        return differing
    }

    // The number follows its text, and a new colour alone repaints it.
    function test_followsTextAndColour() {
        var pair = createTemporaryObject(pairComponent, testCase, { text: "1" })
        compare(differingPixels(pair), 0)
        pair.text = "200"
        compare(pair.face.implicitWidth, pair.label.implicitWidth)
        compare(differingPixels(pair), 0)
        pair.textColor = "red"
        compare(differingPixels(pair), 0)
    }
}
