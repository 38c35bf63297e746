import QtQuick 2.10
import QtQuick.Window 2.10

Window {
    visible: true
    width: 10
    height: undefinedName.height
    NoSuchType { }
}
