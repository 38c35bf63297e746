#include "dim.h"
#include "changeset.h"

#include "dimlist.h"
#include "playengine.h"

dim::dim(ushort num, showDocument &show, QObject *parent)
    : QObject(parent), m_num(num), m_show(show)
{
}

uchar dim::dimValue() const
{
    return g_dimValue[m_num];
}

void dim::setDimValue(uchar value, bool toTable, bool refresh)
{
    {
        const changeSet edit;
        if (g_dimValue[m_num] == value)
            return;
        g_dimValue[m_num] = value;
    }
    changeSet::afterwards([this] { emit dimValueChanged(); });
    // Levels that come from playback must not be written back into the table.
    if (m_runFlag)
        return;
    if (toTable)
        g_dimList->setDmxData(value, m_num + 3, static_cast<ushort>(g_dimList->currentRow()));
    if (refresh)
        g_dimList->refrushModel();
}
