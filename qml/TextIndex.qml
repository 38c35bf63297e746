import QtQuick 2.10

// Stand-in control panel until the panel document lands: the run state and its switches.
Rectangle {
    id: panel
    width: parent.width
    height: parent.height
    color: "whitesmoke"

    property bool runFlag: true

    function startRun() {
        dmx_list.sendDmxEnable(true)
        statusText.text = "Play..."
        runFlag = true
    }

    function stopRun() {
        dmx_list.sendDmxEnable(false)
        statusText.text = "Stoped!"
        runFlag = false
    }
}
