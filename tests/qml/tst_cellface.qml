import QtQuick 2.15
import QtTest 1.2
import ov.qt.dmx 1.0

// A step table cell's frame, level bar and number, drawn as one item, look to the pixel as the
// three rounded rectangles and the text item they stand for, over the colours of the rows
// below them.
TestCase {
    id: testCase
    name: "CellFace"
    when: windowShown
    // Drawn, so that its pixels can be grabbed.
    visible: true
    width: 200
    height: 40

    // A cell drawn both ways, made anew for each case: a text item that changes width and
    // text at once may keep the place of its old width for a frame.
    Component {
        id: cellPairComponent
        Item {
            id: cellPair
            width: 200
            height: 40
        property color rowColor: "lightgray"
        property int value: 0
        property int topValue: 255
        property bool previewed: false
        property bool fixtureEnd: false
        property bool editing: false
        property bool framed: true
        property string typed: ""
        property real cellWidth: 25
        readonly property real shown: editing ? Number(typed) : value
        property alias expectedRow: expectedRow
        property alias shownRow: shownRow

        // The cell as rectangles and a text: a frame, and a bar whose fill leaves out its top edge.
        Rectangle {
            id: expectedRow
            width: cellWidth
            height: 25
            color: rowColor
            Rectangle {
                id: expectedBack
                visible: framed
                anchors.fill: parent
                anchors.bottomMargin: 2
                radius: 2
                color: shown === 128 ? "lightsteelblue" : "lightgray"
                border.width: previewed ? 2 : 1
                border.color: previewed ? "darkorange" : fixtureEnd ? "yellow" : "gray"
                Rectangle {
                    anchors.bottom: parent.bottom
                    width: parent.width
                    height: shown > 0 ? expectedBack.height * (shown % (topValue + 1)) / topValue : 0
                    radius: 2
                    color: fixtureEnd ? "yellow" : "steelblue"
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
            Text {
                visible: !editing
                anchors.centerIn: parent
                width: parent.width - 6
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: Math.max(6, Math.min(13, Math.floor(width / (Math.max(1, text.length) * 0.66))))
                text: value
            }
        }

        Rectangle {
            id: shownRow
            x: 100
            width: cellWidth
            height: 25
            color: rowColor
            CellFace {
                id: face
                anchors.fill: parent
                anchors.bottomMargin: 2
                value: cellPair.value
                top: cellPair.topValue
                previewed: cellPair.previewed
                column: 10
                fixtureEnds: cellPair.fixtureEnd ? [30, 11] : [5, 10, 12]
                editing: cellPair.editing
                editText: typed
                framed: cellPair.framed
                textHeight: shownRow.height
            }
        }
        }
    }

    function test_looksAsTheRectangles_data() {
        return [
            { tag: "empty", value: 0 },
            { tag: "level 1", value: 1 },
            { tag: "level 2", value: 2 },
            { tag: "fade 90 of 255", value: 90 },
            { tag: "half", value: 128 },
            { tag: "full", value: 255 },
            { tag: "full, wide column", value: 255, width: 31.6 },
            { tag: "speed 128 of 9999", value: 128, top: 9999, width: 50.56 },
            { tag: "speed 9999", value: 9999, top: 9999, width: 50.56 },
            { tag: "marked row", value: 200, row: "red", width: 31.6 },
            { tag: "play range", value: 77, row: "lightblue", width: 31.6 },
            { tag: "range end", value: 255, row: "lightsteelblue" },
            { tag: "fixture end", value: 40, fixtureEnd: true },
            { tag: "fixture end, full", value: 255, fixtureEnd: true, row: "red" },
            { tag: "previewed", value: 160, previewed: true },
            { tag: "being typed", value: 7, editing: true, typed: "128" },
            { tag: "typed blank", value: 7, editing: true, typed: " " },
            { tag: "typed no number", value: 7, editing: true, typed: "12a" },
            { tag: "step number", value: 1, framed: false, width: 20 },
            { tag: "step number 1000", value: 1000, framed: false, width: 20 },
            { tag: "step number, marked row", value: 37, framed: false, row: "red", width: 25.28 },
            { tag: "step number, range", value: 999, framed: false, row: "lightblue", width: 25.28 },
            { tag: "step number, range end", value: 12, framed: false, row: "lightsteelblue" }
        ]
    }

    function test_looksAsTheRectangles(data) {
        var pair = createTemporaryObject(cellPairComponent, testCase, {
            value: data.value,
            topValue: data.top || 255,
            rowColor: data.row || "lightgray",
            previewed: data.previewed || false,
            fixtureEnd: data.fixtureEnd || false,
            editing: data.editing || false,
            typed: data.typed || "",
            cellWidth: data.width || 25,
            framed: data.framed !== false
        })
        waitForRendering(pair)
        var difference = firstDifference(pair)
        compare(difference, "", "the face looks as the rectangles")
    }

    function firstDifference(pair) {
        var expected = grabImage(pair.expectedRow)
        var shown = grabImage(pair.shownRow)
        if (expected.width === 0 || shown.width !== expected.width || shown.height !== expected.height)
            return "size " + shown.width + "x" + shown.height
        for (var y = 0; y < expected.height; ++y) {
            for (var x = 0; x < expected.width; ++x) {
                if (String(shown.pixel(x, y)) !== String(expected.pixel(x, y)))
                    return x + "," + y
            }
        }
        return ""
    }
}
