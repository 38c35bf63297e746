import QtQuick 2.10
import QtTest 1.2

// The remote control indicator and its settings: what is shown before OSC and MIDI are
// started, and learning from the dialog.
WindowTestCase {
    name: "RemoteControl"

    function test_indicatorOpensSettingsAndLearns() {
        // Neither started: one short word.
        verify(item("remoteOff").visible)
        verify(!item("remoteOscState").visible)
        verify(!item("remoteErrorCount").visible)
        var settings = win.remoteSettings
        mouseClick(item("remoteIndicator"))
        tryCompare(settings, "opened", true)
        settings.actionBox.currentIndex = settings.actionBox.find("step")
        settings.argumentField.text = "2"
        mouseClick(settings.learnButton)
        compare(remote.midi.learning, "step")
        tryCompare(item("remoteLearnHint"), "visible", true)
        compare(settings.learnButton.text, "取消")
        mouseClick(settings.learnButton)
        compare(remote.midi.learning, "")
        mouseClick(settings.learnButton)
        compare(remote.midi.learning, "step")
        settings.close()
        tryCompare(settings, "opened", false)
        compare(remote.midi.learning, "")
    }
}
