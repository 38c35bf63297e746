import QtQuick 2.9

// Tracks hover over its parent but lets every mouse event through to the control below.
MouseArea {
    anchors.fill: parent
    hoverEnabled: true
    propagateComposedEvents: true
    cursorShape: enabled ? Qt.PointingHandCursor : Qt.ForbiddenCursor

    onPressed: mouse.accepted = false
    onReleased: mouse.accepted = false
    onClicked: mouse.accepted = false
    onDoubleClicked: mouse.accepted = false
    onPressAndHold: mouse.accepted = false
    onPositionChanged: mouse.accepted = false
    onWheel: wheel.accepted = false
}
