import QtQuick 2.10
import QtTest 1.2

// Every text outside the step table fits its box: the implicit size of the text is not
// larger than the item that shows it (nothing elided, clipped or spilling over), the item
// lies inside its parent, and it is large enough to read. Run at the default size and, by
// ctest on a virtual X screen with room for the window, at QT_SCALE_FACTOR 1.5 and 2.
WindowTestCase {
    name: "TextFit"

    readonly property var textTypes: /^(QQuickText|QQuickLabel|Label_QMLTYPE|CusLabel_QMLTYPE)/

    function insideTable(it) {
        var table = item("dmxList")
        for (var p = it; p; p = p.parent) {
            if (p === table)
                return true
        }
        return false
    }

    function flickableAncestor(it) {
        for (var p = it.parent; p; p = p.parent) {
            if (/^QQuick(ListView|Flickable)/.test(String(p)))
                return p
        }
        return null
    }

    // Texts scrolled out of a list are not on the screen.
    function onScreen(it) {
        var view = flickableAncestor(it)
        if (!view)
            return true
        var box = it.mapToItem(view, 0, 0)
        return box.x >= 0 && box.x + it.width <= view.width
    }

    function collect(root, found) {
        for (var i = 0; i < root.children.length; ++i) {
            var child = root.children[i]
            if (!child.visible || child.opacity === 0 || insideTable(child))
                continue
            if (textTypes.test(String(child)) && child.text !== "" && onScreen(child))
                found.push(child)
            collect(child, found)
        }
        return found
    }

    // The item a text must stay inside: its parent, past the plain items and loaders that
    // controls use to place their parts.
    function box(it) {
        var p = it.parent
        while (p.parent && /^QQuick(Item|Loader)\(/.test(String(p)))
            p = p.parent
        return p
    }

    function describe(it) {
        return String(it).replace(/\(0x[0-9a-f]+/, "(") + " \"" + it.text + "\""
    }

    function pixelSize(it) {
        return it.font.pixelSize > 0 ? it.font.pixelSize : it.font.pointSize * 96 / 72
    }

    function checkTexts() {
        var texts = collect(win.contentItem, [])
        collect(win.statusBar, texts)
        verify(texts.length > 40, texts.length + " texts")
        for (var i = 0; i < texts.length; ++i) {
            var t = texts[i]
            var name = describe(t)
            verify(t.implicitWidth <= t.width + 0.5,
                   name + ": needs " + t.implicitWidth + " wide, has " + t.width)
            verify(t.implicitHeight <= t.height + 0.5,
                   name + ": needs " + t.implicitHeight + " high, has " + t.height)
            verify(pixelSize(t) >= 11, name + ": font of " + pixelSize(t) + " px")
            var p = box(t)
            if (p.width > 0 && p.height > 0) {
                var at = t.mapToItem(p, 0, 0)
                verify(at.x >= -0.5 && at.x + t.width <= p.width + 0.5,
                       name + " spills sideways out of " + String(p))
                verify(at.y >= -0.5 && at.y + t.height <= p.height + 0.5,
                       name + " spills up or down out of " + String(p))
            }
        }
    }

    function strip(index) {
        var list = item("dimChannel")
        list.positionViewAtIndex(index, ListView.Contain)
        var found = list.itemAtIndex(index)
        verify(found, "strip " + index)
        return found
    }

    function test_textsFit_data() {
        return [
            { tag: "start-up" },
            { tag: "last faders", faders: 511 },
            { tag: "largest numbers", wide: true },
            { tag: "output on, no daemon", output: 1 },
            { tag: "output on, no port", output: 3 },
            { tag: "output on, stalled", output: 4 }
        ]
    }

    function test_textsFit(data) {
        compare(win.height, 800)
        if (data.faders)
            strip(data.faders)
        if (data.wide) {
            item("textInput_speed").text = "9999"
            item("textInput_fade").text = "255"
            item("textInput1").text = "255"
            item("textInput2").text = "255"
            item("textInput3").text = "512"
            win.light_number = 30
            win.indexDown = 1
            item("statusValue").text = "9999"
            for (var ch = 0; ch < 40; ++ch)
                dmx_data[ch].dimValue = 255
        }
        if (data.output) {
            coreProbe.setOutputState(data.output)
            mouseClick(item("dmxOutputBottom"))
            tryCompare(item("outputState"), "state", data.output, 1000)
        }
        waitForRendering(win.contentItem)
        checkTexts()
    }

    function test_everyFixtureTypeFits() {
        var chooser = item("ch_type")
        for (var i = 0; i < chooser.count; ++i) {
            chooser.currentIndex = i
            var texts = collect(chooser, [])
            compare(texts.length, 1)
            compare(texts[0].text, chooser.textAt(i))
            verify(texts[0].implicitWidth <= texts[0].width, chooser.textAt(i))
        }
    }

    // Inputs are checked with the widest value they take.
    function test_inputsHoldTheirLargestValue_data() {
        return [
            { tag: "speed", input: "textInput_speed", text: "9999" },
            { tag: "fade", input: "textInput_fade", text: "255" },
            { tag: "START", input: "textInput1", text: "255" },
            { tag: "END", input: "textInput2", text: "255" },
            { tag: "CHANNEL", input: "textInput3", text: "512" }
        ]
    }

    function test_inputsHoldTheirLargestValue(data) {
        var input = item(data.input)
        input.text = data.text
        verify(input.contentWidth <= input.width, data.text + " needs " + input.contentWidth
               + ", has " + input.width)
    }

    // Neighbouring channel numbers keep a gap between them.
    function test_channelNumbersStayApart_data() {
        return [ { tag: "1", index: 0 }, { tag: "99", index: 98 }, { tag: "480", index: 479 },
                 { tag: "512", index: 511 } ]
    }

    function test_channelNumbersStayApart(data) {
        var number = findChild(strip(data.index), "dimNumber")
        compare(number.text, String(data.index + 1))
        verify(number.implicitWidth <= strip(data.index).width - 6,
               number.text + " is " + number.implicitWidth + " wide")
    }

    // At 100 % the fill lies under the percentage, which must stay readable on it.
    function test_fullProgressStaysReadable() {
        win.indexDown = 1
        waitForRendering(win.contentItem)
        var onFill = item("progressTextOnFill")
        var fill = item("progressFill")
        verify(onFill.visible)
        compare(onFill.text, "100%")
        verify(String(onFill.color) !== String(fill.item.color))
        var box = onFill.mapToItem(fill, 0, 0)
        verify(box.x >= 0 && box.x + onFill.implicitWidth <= fill.width + 0.5)
    }
}
