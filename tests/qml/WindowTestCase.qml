import QtQuick 2.10
import QtTest 1.2

// Base of the window tests: every test function gets a fresh main window on a new core.
// Derived cases reach the window's elements with item(name).
TestCase {
    id: windowCase
    when: windowShown

    property var win: null

    // Every window opens at its default size and place, unless keepPlace asks for where the
    // last one was closed.
    function createWindow(keepPlace) {
        coreProbe.freshCore()
        if (!keepPlace)
            coreProbe.setSetting("window", undefined)
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        win = component.createObject(null)
        verify(win !== null, "main window created")
        waitForRendering(win.contentItem)
        return win
    }

    // As TestCase's, but searched in C++: walked in JavaScript, every object of the window got
    // a wrapper to collect, which cost the window tests much of their time.
    function findChild(parent, objectName) {
        return coreProbe.findChild(parent, objectName)
    }

    function destroyWindow() {
        if (!win)
            return
        win.close()
        win.destroy()
        win = null
        wait(0)
    }

    // Elements carry object names for the tests; the status bar lies outside the content item.
    function item(name) {
        var found = findChild(win.contentItem, name)
        if (!found)
            found = findChild(win, name)
        verify(found, "element " + name)
        return found
    }

    function typeInto(input, text) {
        input.text = ""
        input.forceActiveFocus()
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
    }

    function init() {
        createWindow()
    }

    function cleanup() {
        destroyWindow()
    }
}
