import QtQuick 2.10
import QtTest 1.2
import QuickKit 1.0

// The fader strip is drawn opaque in the colour its white takes over the window's background
// at the strip's opacity, and its fader in the colours its parts took there. The reference
// draws those parts plainly at that opacity, in the empty table of the same window, so that
// one grab holds both.
WindowTestCase {
    name: "FaderStripLook"

    // The strip's white on the left; right of it the track, and the fill over the track.
    Component {
        id: referenceComponent

        Rectangle {
            property real partOpacity: 1

            width: 50
            height: 240
            Rectangle {
                width: 30
                height: parent.height
                radius: 8
                color: "white"
                opacity: parent.partOpacity
            }
            Rectangle {
                x: 30
                width: 20
                height: 10
                color: "white"
                opacity: parent.partOpacity

                Rectangle {
                    anchors.fill: parent
                    color: CusConfig.controlBorderColor

                    Rectangle {
                        x: 10
                        width: 10
                        height: 10
                        color: CusConfig.controlBorderColor_hovered
                    }
                }
            }
        }
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

    function test_looksAsPlainPartsAtTheOpacity_data() {
        return [
            { tag: "as opened", clicks: 0, opacity: 0.7 },
            { tag: "on by hand", clicks: 1, opacity: 1 },
            { tag: "off by hand", clicks: 2, opacity: 0.5 }
        ]
    }

    function test_looksAsPlainPartsAtTheOpacity(data) {
        var strip = item("dimChannel").itemAtIndex(20)
        for (var i = 0; i < data.clicks; ++i)
            mouseClick(findChild(strip, "dimNumber"))
        dmx_data[20].dimValue = 128
        var slider = findChild(strip, "sizeSlider")
        tryCompare(slider, "value", 128)
        // Left of the strips the window's own background shows.
        var backdrop = grabImage(win.contentItem).pixel(2, 50)
        var reference = createTemporaryObject(referenceComponent, win.contentItem, {
            x: 400, y: 420, z: 100, color: backdrop, partOpacity: data.opacity
        })
        waitForRendering(win.contentItem)
        var image = grabImage(win.contentItem)

        // Track and fill, clear of the handle, which sits at the middle for 128.
        var groove = slider.background
        var track = pixelOf(image, groove, groove.width / 2, 10)
        var fill = pixelOf(image, groove, groove.width / 2, groove.height - 10)
        verify(sameLook(track, pixelOf(image, reference, 35, 5)), "track " + track)
        verify(sameLook(fill, pixelOf(image, reference, 45, 5)), "fill " + fill)

        // The strip itself, corners included, with its parts out of the way.
        findChild(strip, "stripParts").visible = false
        slider.visible = false
        waitForRendering(win.contentItem)
        image = grabImage(win.contentItem)
        for (var y = 0; y < strip.height; ++y) {
            for (var x = 0; x < strip.width; ++x) {
                var shown = pixelOf(image, strip, x, y)
                if (!sameLook(shown, pixelOf(image, reference, x, y)))
                    fail("strip " + x + "," + y + ": " + shown)
            }
        }
    }
}
