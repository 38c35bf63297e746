#include "dim.h"

#include "dimlist.h"

uchar g_dimValue[512] = {};

dim::dim(ushort num, QObject *parent) : QObject(parent), m_num(num) {}

void dim::setDimValue(uchar value, bool toTable, bool refresh)
{
    if (g_dimValue[m_num] == value)
        return;
    g_dimValue[m_num] = value;
    emit dimValueChanged();
    // Levels that come from playback must not be written back into the table.
    if (m_runFlag)
        return;
    if (toTable)
        g_dimList->setDmxData(value, m_num + 3, static_cast<ushort>(g_currentRow));
    if (refresh)
        g_dimList->refrushModel();
}
