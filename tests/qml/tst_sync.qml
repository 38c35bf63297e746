import QtQuick 2.10
import QtTest 1.2

// The tempo and timecode indicator and its settings, on the real core.
WindowTestCase {
    name: "Sync"

    // Taps with the window's key at 120 BPM.
    Timer {
        id: tapper
        property int left: 0
        interval: 500
        repeat: true
        onTriggered: {
            keyClick(Qt.Key_T)
            if (--left <= 0)
                stop()
        }
    }

    function openSettings() {
        mouseClick(item("syncIndicator"))
        tryCompare(win.syncSettings, "opened", true)
        return win.syncSettings
    }

    function test_tapKeyShowsTempo() {
        compare(item("syncTempo").text, "— BPM")
        verify(!item("syncTimecode").visible)
        keyClick(Qt.Key_T)
        tapper.left = 3
        tapper.start()
        // Wide: the timer's taps are late by as much as the machine is busy.
        tryVerify(function () { return sync.bpm > 100 && sync.bpm < 145 }, 5000)
        tryCompare(item("syncTempo"), "text", sync.bpm.toFixed(1) + " BPM")
    }

    function test_beatChoice_data() {
        return [
            { tag: "half", beats: 0.5, shown: "½ 拍/步" },
            { tag: "four", beats: 4, shown: "4 拍/步" },
            { tag: "holds", beats: 0, shown: "" }
        ]
    }

    function test_beatChoice(data) {
        sync.beatSteps = 2
        var settings = openSettings()
        mouseClick(findChild(settings.beatButtons, "syncBeat_" + data.beats))
        compare(sync.beatSteps, data.beats)
        var shown = item("syncBeatSteps")
        compare(shown.visible, data.shown !== "")
        if (data.shown !== "")
            compare(shown.text, data.shown)
        verify(findChild(settings.beatButtons, "syncBeat_" + data.beats).highlighted)
        verify(!findChild(settings.beatButtons, "syncBeat_2").highlighted)
    }

    function test_offset_data() {
        return [
            { tag: "taken", typed: "01:02:03:04", kept: "01:02:03:04", refused: false },
            { tag: "drop frame", typed: "00:10:00;02", kept: "00:10:00;02", refused: false },
            { tag: "not a time", typed: "1:00", kept: "00:00:10:00", refused: true },
            { tag: "30 frames", typed: "00:00:01:30", kept: "00:00:10:00", refused: true }
        ]
    }

    function test_offset(data) {
        verify(sync.setTimecodeOffset("00:00:10:00"))
        var settings = openSettings()
        typeInto(settings.offsetField, data.typed)
        keyClick(Qt.Key_Return)
        compare(sync.timecodeOffset, data.kept)
        compare(settings.offsetField.text, data.kept)
        compare(settings.offsetMessage.visible, data.refused)
        // The field keeps its letters from the tap key.
        typeInto(settings.offsetField, "t")
        compare(settings.offsetField.text, "t")
    }

    function test_sourceWithProblem() {
        coreProbe.setSetting("sync/ltcDevice", "dmxplayer_no_such_device")
        var settings = openSettings()
        mouseClick(findChild(settings.sourceButtons, "syncSource_ltc"))
        coreProbe.setSetting("sync/ltcDevice", undefined)
        compare(sync.timecodeSource, "")
        verify(settings.problemText.visible)
        verify(settings.problemText.text.indexOf("dmxplayer_no_such_device") >= 0, settings.problemText.text)
        verify(findChild(settings.sourceButtons, "syncSource_off").highlighted)
        verify(!item("syncTimecode").visible)
        verify(item("syncTimecodeError").visible)
        mouseClick(findChild(settings.sourceButtons, "syncSource_mtc"))
        compare(sync.timecodeSource, "mtc")
        verify(!settings.problemText.visible)
        verify(!item("syncTimecodeError").visible)
    }

    function test_timecodeStates() {
        verify(sync.setTimecodeSource("mtc"))
        var shown = item("syncTimecode")
        tryCompare(shown, "visible", true)
        compare(shown.text, "--:--:--:--")
        compare(shown.color, "#808080")
        // A full frame at 25 fps, 01:00:00:05; then nothing more comes.
        coreProbe.syncMidi([0xf0, 0x7f, 0x7f, 0x01, 0x01, 0x21, 0, 0, 5, 0xf7])
        tryCompare(shown, "text", "01:00:00:05")
        tryCompare(shown, "color", "#ff0000", 3000)
        compare(sync.timecodeState, "时间码停止，输出保持")
        verify(sync.setTimecodeSource(""))
        tryCompare(shown, "visible", false)
    }
}
