import QtQuick 2.10
import QtTest 1.2
import QuickKit 1.0

// The fader strip is drawn opaque in the colour its white takes over the window's background
// at the strip's opacity, and its fader in the colours its parts took there; it must look as
// those parts drawn plainly at that opacity. References are drawn in the same window, in the
// empty table, so that one grab holds both.
WindowTestCase {
    id: lookCase
    name: "FaderStripLook"

    // White at the strip's opacity, rounded as the strip.
    Component {
        id: stripReferenceComponent

        Rectangle {
            property alias whiteOpacity: white.opacity

            Rectangle {
                id: white
                anchors.fill: parent
                radius: 8
                color: "white"
            }
        }
    }

    // Track and fill as they were drawn: plain colours at the strip's opacity over white at
    // that opacity over the background; the track on the left, the fill over it on the right.
    Component {
        id: faderReferenceComponent

        Rectangle {
            property real partOpacity: 1

            width: 20
            height: 10

            Rectangle {
                anchors.fill: parent
                color: "white"
                opacity: parent.partOpacity
            }
            Rectangle {
                width: 20
                height: 10
                color: CusConfig.controlBorderColor
                opacity: parent.partOpacity

                Rectangle {
                    x: 10
                    width: 10
                    height: 10
                    color: CusConfig.controlBorderColor_hovered
                }
            }
        }
    }

    function strip(index) {
        var found = item("dimChannel").itemAtIndex(index)
        verify(found, "strip " + index)
        return found
    }

    function stripAfterClicks(clicks) {
        var shownStrip = strip(20)
        for (var i = 0; i < clicks; ++i)
            mouseClick(findChild(shownStrip, "dimNumber"))
        return shownStrip
    }

    // Left of the strips the window's own background shows.
    function backdrop() {
        return grabImage(win.contentItem).pixel(2, 50)
    }

    function referenceIn(component, properties) {
        properties.x = 400
        properties.y = 420
        properties.z = 100
        properties.color = backdrop()
        return createTemporaryObject(component, win.contentItem, properties)
    }

    // Channel levels may differ by one, where the blends round differently.
    function sameLook(a, b) {
        return Math.abs(a.r - b.r) * 255 <= 1.5 && Math.abs(a.g - b.g) * 255 <= 1.5
                && Math.abs(a.b - b.b) * 255 <= 1.5
    }

    function pixelOf(image, item, x, y) {
        var at = item.mapToItem(win.contentItem, x, y)
        return image.pixel(Math.floor(at.x), Math.floor(at.y))
    }

    function firstDifference(image, shown, expected) {
        for (var y = 0; y < shown.height; ++y) {
            for (var x = 0; x < shown.width; ++x) {
                var a = pixelOf(image, shown, x, y)
                var b = pixelOf(image, expected, x, y)
                if (!sameLook(a, b))
                    return x + "," + y + ": " + a + " against " + b
            }
        }
        return ""
    }

    function test_stripLooksAsWhiteOverTheWindow_data() {
        return [
            { tag: "as opened", clicks: 0, opacity: 0.7 },
            { tag: "on by hand", clicks: 1, opacity: 1 },
            { tag: "off by hand", clicks: 2, opacity: 0.5 }
        ]
    }

    function test_stripLooksAsWhiteOverTheWindow(data) {
        var shownStrip = stripAfterClicks(data.clicks)
        findChild(shownStrip, "stripParts").visible = false
        findChild(shownStrip, "sizeSlider").visible = false
        var reference = referenceIn(stripReferenceComponent, {
            width: shownStrip.width,
            height: shownStrip.height,
            whiteOpacity: data.opacity
        })
        waitForRendering(win.contentItem)
        compare(firstDifference(grabImage(win.contentItem), shownStrip, reference), "")
    }

    function test_faderLooksAsUnderTheStripOpacity_data() {
        return test_stripLooksAsWhiteOverTheWindow_data()
    }

    function test_faderLooksAsUnderTheStripOpacity(data) {
        var shownStrip = stripAfterClicks(data.clicks)
        dmx_data[20].dimValue = 128
        var slider = findChild(shownStrip, "sizeSlider")
        tryCompare(slider, "value", 128)
        var reference = referenceIn(faderReferenceComponent, { partOpacity: data.opacity })
        waitForRendering(win.contentItem)
        var image = grabImage(win.contentItem)
        // Clear of the handle, which sits at the middle for 128.
        var groove = slider.background
        var track = pixelOf(image, groove, groove.width / 2, 10)
        var fill = pixelOf(image, groove, groove.width / 2, groove.height - 10)
        verify(sameLook(track, pixelOf(image, reference, 5, 5)),
               "track " + track + " against " + pixelOf(image, reference, 5, 5))
        verify(sameLook(fill, pixelOf(image, reference, 15, 5)),
               "fill " + fill + " against " + pixelOf(image, reference, 15, 5))
    }
}
