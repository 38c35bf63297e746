import QtQuick 2.10
import QtQuick.Controls 2.15
import QtTest 1.2

// Fixtures from definitions: the picker, named values in cells and faders, the capability
// menu and the blackout, on the real core with the library of the test's own folder.
TableTestCase {
    name: "DefinitionFixtures"

    readonly property string folder: String(Qt.resolvedUrl("fixtures")).replace("file://", "")
    readonly property string laser: folder + "/Testwerk-Pattern-Laser.qxf"

    function addLaser() {
        verify(dmx_list.fixtures.addDefinition(laser, 0), dmx_list.fixtures.lastError())
        tryCompare(table, "columnCount", 9)
    }

    function test_pickerSearchAddsOneFixture() {
        // One file first, then the other added as the picker's file button does.
        fixture_picker.indexPlaces([laser])
        tryCompare(fixture_picker, "ready", true)
        compare(fixture_picker.count, 28)
        coreProbe.setSetting("library/added", undefined)
        fixture_picker.addPlace(folder + "/ofl-beam-projector.json")
        tryCompare(fixture_picker, "ready", true)
        compare(fixture_picker.categories[0], "Laser")
        var picker = win.fixturePicker
        mouseClick(item("openLibrary"))
        tryCompare(picker, "opened", true)
        tryVerify(function() { return picker.chosen !== null })
        compare(picker.chosen.builtIn, true)
        typeInto(picker.searchField, "testwerk LASER")
        tryCompare(fixture_picker, "count", 1)
        picker.list.currentIndex = 0
        compare(picker.chosen.label, "Testwerk Pattern Laser")
        compare(picker.modeBox.count, 2)
        compare(picker.modeBox.textAt(1), "2 channel — 2 通道")
        mouseClick(picker.addButton)
        compare(win.light_number, 1)
        compare(dmx_list.fixtures.channelCounts, [6])
        compare(table.columnList[3].title, "Mode\n1")
        compare(table.columnList[7].title, "Dimmer\nfine\n5")
        // Mode, pattern and shutter jump; zoom and the dimmer fade.
        var snaps = [1, 1, 0, 0, 0, 1]
        for (var c = 0; c < 6; ++c)
            compare(dmx_data[c].dimEn, snaps[c], "channel " + (c + 1))
        verify(dmx_list.history.undo())
        compare(win.light_number, 0)
        compare(dmx_data[1].dimEn, 0)
        verify(dmx_list.history.redo())
        compare(dmx_list.fixtures.channelCounts, [6])
        compare(dmx_data[1].dimEn, 1)
        // Typing a "b" searches; it is no blackout key there.
        typeInto(picker.searchField, "beam")
        tryCompare(fixture_picker, "count", 1)
        compare(dmx_list.fixtures.blackout, false)
        // Words of no entry leave nothing; without words the built-in types and both files are back.
        typeInto(picker.searchField, "nothing such")
        tryCompare(fixture_picker, "count", 0)
        typeInto(picker.searchField, "")
        tryCompare(fixture_picker, "count", 29)
        compare(String(coreProbe.setting("library/added")), folder + "/ofl-beam-projector.json")
        coreProbe.setSetting("library/added", undefined)
    }

    function test_cellAndFaderNameTheirValue() {
        addLaser()
        coreProbe.appendRows(1, 10, 0, 25)
        waitForRendering(table)
        var target = cell(0, 4)
        mouseMove(target, target.width / 2, target.height / 2)
        tryCompare(target, "valueName", "Triangle 1")
        compare(target.ToolTip.text, "25 — Triangle 1")
        mouseMove(target, target.width / 2, target.height / 2)
        var slider = findChild(item("dimChannel").itemAtIndex(1), "sizeSlider")
        dmx_data[1].dimValue = 12
        mouseMove(slider, slider.width / 2, slider.height / 2)
        tryCompare(item("dimChannel").itemAtIndex(1), "valueName", "Line")
        // A built-in type names nothing.
        compare(dmx_list.fixtures.valueName(7, 0), "")
    }

    function test_capabilityMenuPickIsUndoable() {
        addLaser()
        coreProbe.appendRows(1, 10, 0, 0)
        waitForRendering(table)
        var target = cell(0, 4)
        mouseClick(target, target.width / 2, target.height / 2, Qt.RightButton)
        var menu = win.capabilityMenu
        tryCompare(menu, "opened", true)
        compare(menu.count, 4)
        compare(menu.itemAt(2).text, "20–29  Triangle 1")
        tryVerify(function() { return menu.itemAt(2).height > 0 && menu.contentItem.height > 0 })
        waitForRendering(menu.contentItem)
        mouseClick(menu.itemAt(2))
        tryCompare(menu, "opened", false)
        compare(coreProbe.cell(0, 4), 20)
        verify(dmx_list.history.undo())
        compare(coreProbe.cell(0, 4), 0)
        // A built-in fixture's channel has no menu.
        compare(menu.showFor(7, target, 0, 0, null), false)
    }

    function test_blackoutEngagesAndReleases() {
        addLaser()
        // The rows hold the levels set by hand, so that whether playback loads one before the
        // key comes or not, the levels are the same.
        coreProbe.appendRows(2, 10, 0, 200)
        dmx_list.dmxOutputEnable(true)
        dmx_data[0].dimValue = 200
        dmx_data[5].dimValue = 200
        dmx.sendDmx()
        compare(coreProbe.frameSlot(0), 200)
        item("text_control").startRun()
        tryVerify(function() { return dmx_list.playing })
        keyClick(Qt.Key_B)
        compare(dmx_list.fixtures.blackout, true)
        tryVerify(function() { return !dmx_list.playing })
        // The laser's "Laser off" and "Shutter closed", the table's levels untouched.
        tryVerify(function() { return coreProbe.frameSlot(0) === 0 && coreProbe.frameSlot(5) === 8 })
        compare(coreProbe.level(0), 200)
        compare(item("blackoutButton").color, "#ff0000")
        dmx_data[0].dimValue = 150
        dmx.sendDmx()
        compare(coreProbe.frameSlot(0), 0)
        mouseClick(item("blackoutButton"))
        compare(dmx_list.fixtures.blackout, false)
        tryVerify(function() { return coreProbe.frameSlot(0) === 150 && coreProbe.frameSlot(5) === 200 })
    }

    function hexOf(text) {
        var hex = ""
        for (var i = 0; i < text.length; ++i)
            hex += ("0" + text.charCodeAt(i).toString(16)).slice(-2)
        return hex
    }

    function test_showKeepsItsFixturesWithoutTheLibrary_data() {
        return [
            { tag: "OFL", file: "ofl-beam-projector.json", copy: "beam.json", pick: 2, level: 100,
              titles: ["Show\n1", "Pan\nfine\n3"], name: "Effect Wave", dimmer: 3 },
            { tag: "QLC+", file: "Testwerk-Pattern-Laser.qxf", copy: "laser.qxf", pick: 3,
              level: 30, titles: ["Mode\n1", "Zoom\n3"], name: "Star", dimmer: 2 }
        ]
    }

    // Added from a definition file, programmed through a named value, saved, the file gone,
    // then opened in a new window: titles, names and snap flags come from the show alone;
    // played, the pattern channel jumps while a continuous one fades.
    function test_showKeepsItsFixturesWithoutTheLibrary(data) {
        var copy = coreProbe.tempPath() + "/" + data.copy
        verify(coreProbe.writeHex(copy, hexOf(coreProbe.readFile(folder + "/" + data.file))))
        verify(dmx_list.fixtures.addDefinition(copy, 0), dmx_list.fixtures.lastError())
        coreProbe.appendRows(2, 3, 10, 0)
        waitForRendering(table)
        var pattern = data.tag === "OFL" ? 3 : 4
        var target = cell(1, pattern)
        mouseClick(target, target.width / 2, target.height / 2, Qt.RightButton)
        tryCompare(win.capabilityMenu, "opened", true)
        win.capabilityMenu.pick(data.pick)
        compare(coreProbe.cell(1, pattern), data.level)
        dmx_list.setDmxData(200, data.dimmer + 3, 1)
        var url = "file://" + coreProbe.tempPath() + "/" + data.copy + ".dmx"
        verify(item("text_control").saveAccepted(url, "Dmx files (*.dmx )"))
        verify(coreProbe.writeHex(copy, ""))

        destroyWindow()
        init()
        verify(item("text_control").openAccepted(url))
        compare(dmx_list.fixtures.count, 1)
        compare(table.columnList[3].title, data.titles[0])
        compare(table.columnList[5].title, data.titles[1])
        compare(dmx_list.fixtures.valueName(pattern - 2, data.level), data.name)
        compare(dmx_data[pattern - 3].dimEn, 1)
        compare(dmx_data[data.dimmer].dimEn, 0)

        dmx_list.dmxOutputEnable(true)
        item("text_control").startRun()
        tryVerify(function() {
            var faded = coreProbe.level(data.dimmer)
            var jumped = coreProbe.level(pattern - 3)
            verify(jumped === 0 || jumped === data.level, "pattern channel at " + jumped)
            return faded > 0 && faded < 200
        }, 5000)
    }
}
