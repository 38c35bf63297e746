import QtQuick 2.15
import QtTest 1.2
import ov.qt.dmx 1.0

// A step table cell's frame and level bar, drawn as one item, look to the pixel as the three
// rounded rectangles they stand for, over the colours of the rows below them.
TestCase {
    id: testCase
    name: "CellFace"
    when: windowShown
    // Drawn, so that its pixels can be grabbed.
    visible: true
    width: 100
    height: 40

    property color rowColor: "lightgray"
    property real level: 0
    property real borderWidth: 1
    property color borderColor: "gray"
    property color barColor: "steelblue"
    property color faceColor: "lightgray"

    // The cell as rectangles: a frame, and a bar whose fill leaves out its top edge.
    Rectangle {
        id: expectedRow
        width: 25
        height: 25
        color: rowColor
        Rectangle {
            id: expectedBack
            anchors.fill: parent
            anchors.bottomMargin: 2
            radius: 2
            color: faceColor
            border.width: borderWidth
            border.color: borderColor
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: expectedBack.height * level
                radius: 2
                color: barColor
                Rectangle {
                    anchors.fill: parent
                    anchors.leftMargin: 1
                    anchors.rightMargin: 1
                    anchors.bottomMargin: 1
                    radius: 2
                    color: "lightsteelblue"
                }
            }
        }
    }

    Rectangle {
        id: shownRow
        x: 50
        width: 25
        height: 25
        color: rowColor
        CellFace {
            anchors.fill: parent
            anchors.bottomMargin: 2
            radius: 2
            color: faceColor
            borderWidth: testCase.borderWidth
            borderColor: testCase.borderColor
            barHeight: height * level
            barColor: testCase.barColor
            barFillColor: "lightsteelblue"
        }
    }

    function test_looksAsTheRectangles_data() {
        return [
            { tag: "empty", level: 0 },
            { tag: "level 1", level: 1 / 255 },
            { tag: "level 2", level: 2 / 255 },
            { tag: "fade 90 of 255", level: 90 / 255 },
            { tag: "half", level: 128 / 255, face: "lightsteelblue" },
            { tag: "full", level: 1 },
            { tag: "speed 128 of 9999", level: 128 / 9999 },
            { tag: "marked row", level: 200 / 255, row: "red" },
            { tag: "play range", level: 77 / 255, row: "lightblue" },
            { tag: "range end", level: 255 / 255, row: "lightsteelblue" },
            { tag: "fixture end", level: 40 / 255, border: "yellow", bar: "yellow" },
            { tag: "previewed", level: 160 / 255, border: "darkorange", width: 2 }
        ]
    }

    function test_looksAsTheRectangles(data) {
        level = data.level
        rowColor = data.row || "lightgray"
        faceColor = data.face || "lightgray"
        borderColor = data.border || "gray"
        barColor = data.bar || "steelblue"
        borderWidth = data.width || 1
        waitForRendering(shownRow)
        var expected = grabImage(expectedRow)
        var shown = grabImage(shownRow)
        compare(shown.size, expected.size)
        verify(expected.size.width > 0, "nothing grabbed")
        for (var y = 0; y < expected.height; ++y) {
            for (var x = 0; x < expected.width; ++x)
                compare(String(shown.pixel(x, y)), String(expected.pixel(x, y)), x + "," + y)
        }
    }
}
