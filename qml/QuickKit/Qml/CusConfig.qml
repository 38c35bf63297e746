pragma Singleton
import QtQuick 2.9

// Theme of the widget components. The plain colours come from the current entry of
// themes; the hovered and pressed colours are the theme colour darkened.
QtObject {
    id: config
    objectName: "config"

    property string fontFamily: "微软雅黑"
    property int fontPixel: 14
    property int controlBorderRadius: 4

    property var themes: [
        {
            name: "Red",
            themeColor: "#ec4141",
            textColor: "#373737",
            textColor_pressed: "#212121",
            controlColor: "#f5f5f6",
            controlBorderColor: "#cbcbcb"
        }
    ]
    property int currentTheme: -1

    property string themeName: ""
    property color themeColor: "transparent"
    property color textColor: "black"
    property color textColor_pressed: "black"
    property color controlColor: "white"
    property color controlBorderColor: "gray"
    property color controlBorderColor_hovered: Qt.darker(themeColor, 1.2)
    property color controlColor_hovered: Qt.darker(themeColor, 1.2)
    property color controlColor_pressed: Qt.darker(themeColor, 1.4)

    onCurrentThemeChanged: {
        if (currentTheme < 0 || currentTheme >= themes.length)
            return
        var theme = themes[currentTheme]
        themeName = theme.name
        themeColor = theme.themeColor
        textColor = theme.textColor
        textColor_pressed = theme.textColor_pressed
        controlColor = theme.controlColor
        controlBorderColor = theme.controlBorderColor
    }

    Component.onCompleted: currentTheme = 0
}
