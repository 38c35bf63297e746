import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// As remote_settings.qml, with learning "blackout" under way: the dialog waits for a control.
// Needs a JACK server (jackd --no-realtime -d dummy) and its own settings folder:
// XDG_CONFIG_HOME=$(mktemp -d) DMX_MIDI_API=jack SCREENSHOT_DISPLAY=:75 \
//     PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/remote-learn.png -input tools/shots/remote_learn.qml
WindowTestCase {
    name: "RemoteLearnShot"

    function learn(action, args, bytes) {
        verify(remote.midi.learn(action, args))
        coreProbe.midiMessage(bytes)
    }

    function test_hold() {
        coreProbe.appendRows(6, 10, 5, 0)
        coreProbe.startRemote(9000)
        learn("play", [], [0x90, 36, 100])
        learn("stop", [], [0x90, 37, 100])
        learn("speed", [], [0xb0, 7, 64])
        learn("step", [3], [0x90, 40, 100])
        learn("output", [], [0x90, 38, 100])
        var settings = win.remoteSettings
        settings.open()
        tryCompare(settings, "opened", true)
        settings.actionBox.currentIndex = settings.actionBox.find("blackout")
        mouseClick(settings.learnButton)
        wait(10000)
    }
}
