import QtQuick 2.10
import QtTest 1.2
import QuickKit 1.0

// The vertical fader of the widget library on its own, set up as the fader strip sets it up:
// value, handle and fill geometry, mouse, wheel and keys, and the signals each one emits.
TestCase {
    id: testCase
    name: "CusSliderVertical"
    width: 200
    height: 300
    visible: true
    when: windowShown

    Component {
        id: sliderComponent
        CusSlider_vertical {
            width: 30
            height: 220
            from: 0
            to: 255
            stepSize: 1
            wheelEnabled: true
            activeFocusOnTab: true
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function createSlider(properties) {
        var slider = createTemporaryObject(sliderComponent, testCase, properties || {})
        verify(slider, "slider created")
        return slider
    }

    function spyOn(slider, signalName) {
        var spy = createTemporaryObject(spyComponent, testCase,
                                        { target: slider, signalName: signalName })
        verify(spy.valid, signalName)
        return spy
    }

    function fill(slider) {
        var found = findChild(slider, "sliderFill")
        verify(found, "fill")
        return found
    }

    function number(slider) {
        var found = findChild(slider, "sliderNumber")
        verify(found, "number")
        return found
    }

    // Window y of the handle's centre for a value.
    function yFor(slider, value) {
        var travel = slider.availableHeight - slider.handle.height
        return slider.topPadding + (1 - value / slider.to) * travel + slider.handle.height / 2
    }

    function test_value_data() {
        return [
            { tag: "bottom", value: 0, expected: 0, text: "0" },
            { tag: "middle", value: 128, expected: 128, text: "128" },
            { tag: "top", value: 255, expected: 255, text: "255" },
            { tag: "below the range", value: -20, expected: 0, text: "0" },
            { tag: "above the range", value: 300, expected: 255, text: "255" },
            { tag: "fraction shown rounded", value: 99.6, expected: 99.6, text: "100" }
        ]
    }

    function test_value(data) {
        var slider = createSlider({ value: data.value })
        compare(slider.orientation, Qt.Vertical)
        compare(slider.value, data.expected)
        fuzzyCompare(slider.visualPosition, 1 - data.expected / 255, 1e-9)
        compare(number(slider).text, data.text)
        verify(number(slider).visible)
        var travel = slider.availableHeight - slider.handle.height
        fuzzyCompare(slider.handle.y, slider.topPadding + slider.visualPosition * travel, 1e-6)
        fuzzyCompare(fill(slider).height, slider.background.height * (data.expected / 255), 1e-6)
        compare(slider.background.width, slider.width / 8)
    }

    function test_showNumber() {
        var slider = createSlider({ value: 7, showNumber: false })
        verify(!number(slider).visible)
        slider.showNumber = true
        verify(number(slider).visible)
    }

    function test_drag_data() {
        return [
            { tag: "bottom to top", from: 0, to: 255 },
            { tag: "bottom to the middle", from: 0, to: 128 },
            { tag: "top to bottom", from: 255, to: 0 },
            { tag: "middle to a quarter", from: 128, to: 64 }
        ]
    }

    // Grabs the handle at its centre, through its hover area, and drags it.
    function test_drag(data) {
        var slider = createSlider({ value: data.from })
        var moved = spyOn(slider, "moved")
        var pressed = spyOn(slider, "pressedChanged")
        var x = slider.width / 2
        var startY = yFor(slider, data.from)
        var endY = yFor(slider, data.to)
        mousePress(slider, x, startY)
        verify(slider.pressed)
        var steps = 8
        for (var i = 1; i <= steps; ++i)
            mouseMove(slider, x, startY + (endY - startY) * i / steps)
        mouseRelease(slider, x, endY)
        verify(!slider.pressed)
        compare(pressed.count, 2)
        fuzzyCompare(slider.value, data.to, 1)
        compare(slider.value, Math.round(slider.value))
        verify(moved.count > 0)
        compare(number(slider).text, String(slider.value))
    }

    // Pressing the handle where it stands must leave the value alone, the way focusing a
    // fader by a click should.
    function test_pressOnHandle_data() {
        return [
            { tag: "bottom", value: 0 },
            { tag: "middle", value: 128 },
            { tag: "top", value: 255 }
        ]
    }

    function test_pressOnHandle(data) {
        var slider = createSlider({ value: data.value })
        var changed = spyOn(slider, "valueChanged")
        mouseClick(slider, slider.width / 2, yFor(slider, data.value))
        compare(slider.value, data.value)
        compare(changed.count, 0)
    }

    function test_clickOnGroove_data() {
        return [
            { tag: "top", from: 0, to: 255 },
            { tag: "quarter", from: 255, to: 64 }
        ]
    }

    function test_clickOnGroove(data) {
        var slider = createSlider({ value: data.from })
        var moved = spyOn(slider, "moved")
        mouseClick(slider, slider.width / 2, yFor(slider, data.to))
        fuzzyCompare(slider.value, data.to, 1)
        verify(moved.count > 0)
    }

    function test_wheel_data() {
        return [
            { tag: "up on the groove", start: 100, onHandle: false, delta: 120, expected: 101 },
            { tag: "down on the groove", start: 100, onHandle: false, delta: -120, expected: 99 },
            { tag: "up on the handle", start: 100, onHandle: true, delta: 120, expected: 101 },
            { tag: "three notches up", start: 100, onHandle: false, delta: 360, expected: 103 },
            { tag: "up at the top", start: 255, onHandle: false, delta: 120, expected: 255 },
            { tag: "down at the bottom", start: 0, onHandle: true, delta: -120, expected: 0 }
        ]
    }

    function test_wheel(data) {
        var slider = createSlider({ value: data.start })
        var moved = spyOn(slider, "moved")
        var changed = spyOn(slider, "valueChanged")
        var y = data.onHandle ? yFor(slider, data.start) : yFor(slider, data.start < 128 ? 230 : 20)
        mouseWheel(slider, slider.width / 2, y, 0, data.delta)
        compare(slider.value, data.expected)
        var steps = data.expected === data.start ? 0 : 1
        compare(changed.count, steps)
        compare(moved.count, steps)
    }

    function test_keys_data() {
        return [
            { tag: "up", start: 10, keys: [Qt.Key_Up], expected: 11, moves: 1, presses: 1 },
            { tag: "down", start: 10, keys: [Qt.Key_Down], expected: 9, moves: 1, presses: 1 },
            { tag: "up three times", start: 10, keys: [Qt.Key_Up, Qt.Key_Up, Qt.Key_Up],
              expected: 13, moves: 3, presses: 3 },
            { tag: "up at the top", start: 255, keys: [Qt.Key_Up], expected: 255, moves: 0,
              presses: 1 },
            { tag: "down at the bottom", start: 0, keys: [Qt.Key_Down], expected: 0, moves: 0,
              presses: 1 },
            { tag: "sideways keys", start: 10, keys: [Qt.Key_Left, Qt.Key_Right],
              expected: 10, moves: 0, presses: 0 }
        ]
    }

    function test_keys(data) {
        var slider = createSlider({ value: data.start })
        var moved = spyOn(slider, "moved")
        var pressed = spyOn(slider, "pressedChanged")
        slider.forceActiveFocus()
        verify(slider.activeFocus)
        for (var i = 0; i < data.keys.length; ++i)
            keyClick(data.keys[i])
        compare(slider.value, data.expected)
        compare(moved.count, data.moves)
        compare(pressed.count, 2 * data.presses)
        verify(!slider.pressed)
    }

    function test_disabled_data() {
        return [
            { tag: "drag", input: "drag" },
            { tag: "wheel", input: "wheel" },
            { tag: "key", input: "key" }
        ]
    }

    function test_disabled(data) {
        var slider = createSlider({ value: 50, enabled: false })
        var changed = spyOn(slider, "valueChanged")
        var x = slider.width / 2
        if (data.input === "drag") {
            mousePress(slider, x, yFor(slider, 50))
            mouseMove(slider, x, yFor(slider, 200))
            mouseRelease(slider, x, yFor(slider, 200))
        } else if (data.input === "wheel") {
            mouseWheel(slider, x, yFor(slider, 50), 0, 120)
        } else {
            slider.forceActiveFocus()
            keyClick(Qt.Key_Up)
        }
        compare(slider.value, 50)
        compare(changed.count, 0)
    }

    // The handle shows hover, press and focus in the theme's colours.
    function test_handleColours_data() {
        return [
            { tag: "idle", hover: false, press: false, focus: false, fill: "controlColor",
              border: "controlBorderColor", text: "textColor" },
            { tag: "focused", hover: false, press: false, focus: true, fill: "controlColor",
              border: "controlBorderColor_hovered", text: "textColor" },
            { tag: "hovered", hover: true, press: false, focus: false,
              fill: "controlColor_hovered", border: "controlBorderColor_hovered",
              text: "textColor_pressed" },
            { tag: "pressed", hover: true, press: true, focus: false,
              fill: "controlColor_pressed", border: "controlBorderColor_hovered",
              text: "textColor_pressed" }
        ]
    }

    function test_handleColours(data) {
        var slider = createSlider({ value: 128 })
        var x = slider.width / 2
        var y = yFor(slider, 128)
        mouseMove(slider, x, data.hover ? y : 2)
        if (data.focus)
            slider.forceActiveFocus()
        if (data.press)
            mousePress(slider, x, y)
        compare(String(slider.handle.color), String(CusConfig[data.fill]))
        compare(String(slider.handle.border.color), String(CusConfig[data.border]))
        compare(String(number(slider).color), String(CusConfig[data.text]))
        if (data.press)
            mouseRelease(slider, x, y)
    }
}
