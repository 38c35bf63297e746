import QtQuick 2.10
import QtTest 1.2

// Every text outside the step table fits its box: not larger than the item showing it
// (nothing elided or cut), inside the item that holds it, and large enough to read. ctest
// also runs this at QT_SCALE_FACTOR 1.5 and 2 on a virtual screen with room for the window.
WindowTestCase {
    name: "TextFit"

    function collect(root, found) {
        for (var i = 0; i < root.children.length; ++i) {
            var c = root.children[i]
            if (!c.visible || c.opacity === 0 || c === item("dmxList"))
                continue
            var view = /^QQuickListView/.test(String(c.parent.parent)) ? c.parent.parent : null
            var shown = !view || (c.x - view.contentX >= 0 && c.x - view.contentX + c.width <= view.width)
            if (!shown)
                continue
            if (/^(QQuickText|QQuickLabel|Label_QMLTYPE|CusLabel_QMLTYPE)/.test(String(c)) && c.text !== "")
                found.push(c)
            collect(c, found)
        }
        return found
    }

    // Controls place their labels in plain items and loaders; the text belongs in the control.
    function holder(t) {
        var p = t.parent
        while (p.parent && /^QQuick(Item|Loader)\(/.test(String(p)))
            p = p.parent
        return p
    }

    function checkTexts(root) {
        var texts = collect(root, [])
        for (var i = 0; i < texts.length; ++i) {
            var t = texts[i], p = holder(t), at = t.mapToItem(p, 0, 0)
            var name = String(t).replace(/0x[0-9a-f]+/, "") + " \"" + t.text + "\""
            var px = t.font.pixelSize > 0 ? t.font.pixelSize : t.font.pointSize * 4 / 3
            verify(t.implicitWidth <= t.width + 0.5 && t.implicitHeight <= t.height + 0.5,
                   name + " needs " + t.implicitWidth + "x" + t.implicitHeight + ", has " + t.width + "x" + t.height)
            verify(px >= 11, name + " is " + px + " px")
            // A clipping holder cuts its text on purpose (the percentage's copy on the fill).
            verify(p.clip || at.x >= -0.5 && at.x + t.width <= p.width + 0.5 && at.y >= -0.5
                   && at.y + t.height <= p.height + 0.5, name + " spills out of " + String(p))
        }
        return texts.length
    }

    function test_textsFit_data() {
        return [ { tag: "start-up" }, { tag: "largest values", wide: true } ]
    }

    function test_textsFit(data) {
        compare(win.height, 800)
        if (data.wide) {
            item("textInput_speed").text = "9999"
            // Thirty fixtures of the smallest type, the most the bar counts.
            for (var f = 0; f < 30; ++f)
                verify(dmx_list.fixtures.add(12))
            win.indexDown = 1
            for (var ch = 0; ch < 40; ++ch)
                dmx_data[ch].dimValue = 255
            coreProbe.setOutputState(1)
            mouseClick(item("dmxOutputBottom"))
            tryCompare(item("outputState"), "text", "olad未运行", 5000)
            var list = item("dimChannel")
            list.positionViewAtEnd()
            // Three-digit channel numbers keep a gap to their neighbours.
            var number = findChild(list.itemAtIndex(511), "dimNumber")
            verify(number.implicitWidth <= 24, number.implicitWidth)
            // At 100 % the fill lies under the percentage; its white copy shows there.
            var onFill = item("progressTextOnFill")
            compare(onFill.text, "100%")
            verify(onFill.mapToItem(item("progressFill"), 0, 0).x >= 0)
        }
        waitForRendering(win.contentItem)
        verify(checkTexts(win.contentItem) + checkTexts(win.statusBar) > 40)
        var speed = item("textInput_speed")
        verify(speed.contentWidth <= speed.width, speed.contentWidth)
        var chooser = item("ch_type")
        for (var i = 0; i < chooser.count; ++i) {
            chooser.currentIndex = i
            compare(checkTexts(chooser), 1)
        }
    }
}
