import QtQuick 2.10
import QtTest 1.2
import QuickKit 1.0

// The fader strip and its fader are drawn opaque in the colours their parts showed at the
// strip's opacity; a reference draws the parts so, in the same window, for one grab of both.
WindowTestCase {
    name: "FaderStripLook"

    // Left to right: the strip's white, the track on it, the fill on the track.
    Component {
        id: referenceComponent

        Rectangle {
            property alias partOpacity: white.opacity

            width: 30
            height: 10
            Rectangle {
                id: white
                anchors.fill: parent
                color: "white"

                Rectangle {
                    x: 10
                    width: 20
                    height: 10
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
        var reference = createTemporaryObject(referenceComponent, win.contentItem, {
            x: 400, y: 420, z: 100, partOpacity: data.opacity,
            color: grabImage(win.contentItem).pixel(2, 50)
        })
        waitForRendering(win.contentItem)
        var image = grabImage(win.contentItem)
        function pixelOf(item, x, y) {
            var at = item.mapToItem(win.contentItem, x, y)
            return image.pixel(Math.floor(at.x), Math.floor(at.y))
        }
        // Beside the track, on the track and on the fill, clear of the handle at the middle.
        var groove = slider.background
        var shown = [pixelOf(strip, 3, groove.mapToItem(strip, 0, 10).y),
                     pixelOf(groove, groove.width / 2, 10),
                     pixelOf(groove, groove.width / 2, groove.height - 10)]
        for (var part = 0; part < 3; ++part) {
            var expected = pixelOf(reference, 10 * part + 5, 5)
            // Channel levels may differ by one, where the blends round differently.
            verify(Math.abs(shown[part].r - expected.r) * 255 <= 1.5
                   && Math.abs(shown[part].g - expected.g) * 255 <= 1.5
                   && Math.abs(shown[part].b - expected.b) * 255 <= 1.5,
                   "part " + part + ": " + shown[part] + " against " + expected)
        }
    }
}
