import QtQuick 2.10
import QtQuick.Controls 1.6

// Stand-in step table until the table view document lands: the fixed columns only.
TableView {
    id: dimTableView
    model: dmx_list

    function addDevice(type) {}
    function deleteDevice() {}

    TableViewColumn { role: "c_id"; title: qsTr("序号"); width: tableWidth * 0.04 }
    TableViewColumn { role: "speed"; title: qsTr("速度"); width: tableWidth * 0.06 }
    TableViewColumn { role: "fade"; title: qsTr("渐变"); width: tableWidth * 0.06 }
}
