import QtQuick 2.15

// A dialog of QtQuick.Dialogs, made the first time it is asked for. Each one builds its whole
// box of buttons when it is created (some 760 objects for a message), which cost the window
// more to open than everything else in it.
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
