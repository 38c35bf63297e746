import QtQuick 2.10
import QtTest 1.2
import "../../tests/qml"

// Holds the window with the remote control settings open: OSC on port 9000, MIDI on JACK,
// five learned bindings (remote_learn.qml: learning "blackout" under way).
// Needs a JACK server (jackd --no-realtime -d dummy) and its own settings folder:
// XDG_CONFIG_HOME=$(mktemp -d) DMX_MIDI_API=jack SCREENSHOT_DISPLAY=:75 \
//     PROGRAM=build/tests/qml/tst_qml SETTLE=4 \
//     tools/screenshot.sh docs/remote-settings.png -input tools/shots/remote_settings.qml
WindowTestCase {
    name: "RemoteSettingsShot"

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
        wait(10000)
    }
}
