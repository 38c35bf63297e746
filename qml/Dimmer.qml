import QtQuick 2.10

// Stand-in strip until the channel fader document lands: shows the channel and its level.
Rectangle {
    width: 30
    radius: 8
    opacity: 0.7
    color: "white"
    border.color: "lightgray"

    Rectangle {
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 20
        anchors.horizontalCenter: parent.horizontalCenter
        width: 6
        height: (parent.height - 30) * model.dimValue / dimMax
        color: "#ec4141"
    }
    Text {
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        font.pixelSize: 11
        color: "steelblue"
        text: model.dimNum
    }
}
