import QtQuick 2.15

// A dialog of QtQuick.Dialogs, made the first time it is asked for. The program's are widget
// dialogs, cheap until shown; without widgets (a QGuiApplication, as the window tests run)
// each builds its whole box of buttons in QML when it is created, some 760 objects for a
// message, which made up half of what the window cost to open there.
Loader {
    active: false

    // The dialog, made now if it was not yet.
    function dialog() {
        active = true
        return item
    }

    // Closed, if it was ever made.
    function close() {
        if (item)
            item.close()
    }
}
