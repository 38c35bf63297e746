import QtQuick 2.10

// MIDI time code for the sync shots: a full-frame message each 25 fps frame from `start`
// on, and a MIDI clock at 125 BPM while `clock` is set.
Item {
    property int start: 0
    property bool clock: false
    property int frame: start

    Timer {
        interval: 40
        running: true
        repeat: true
        onTriggered: {
            var f = frame++
            var hours = Math.floor(f / 90000)
            coreProbe.syncMidi([0xf0, 0x7f, 0x7f, 0x01, 0x01, 0x20 | hours, Math.floor(f / 1500) % 60,
                                Math.floor(f / 25) % 60, f % 25, 0xf7])
        }
    }
    Timer {
        interval: 20
        running: clock
        repeat: true
        onTriggered: coreProbe.syncMidi([0xf8])
    }
}
