import QtQuick 2.15
import QtQuick.Controls 2.15

// The named ranges of a channel from a fixture definition, shared by every cell and fader.
// Picking one hands the start of its range to the setter of whoever opened the menu, which
// stores it through the model's ordinary, undoable edit.
Menu {
    id: menu
    objectName: "capabilityMenu"

    property var capabilities: []
    property var setter: null

    // False, and no menu, for a channel without named ranges.
    function showFor(channel, item, x, y, store) {
        var found = dmx_list.fixtures.capabilities(channel)
        if (found.length === 0)
            return false
        setter = store
        capabilities = found
        popup(item, x, y)
        return true
    }

    function pick(index) {
        var value = capabilities[index].min
        close()
        if (setter)
            setter(value)
    }

    Instantiator {
        model: menu.capabilities
        delegate: MenuItem {
            objectName: "capabilityItem"
            text: modelData.min + "–" + modelData.max + "  " + modelData.name
            onTriggered: menu.pick(index)
        }
        onObjectAdded: menu.insertItem(index, object)
        onObjectRemoved: menu.removeItem(object)
    }
}
