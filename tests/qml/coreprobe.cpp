#include "coreprobe.h"

#include "coretestsupport.h"

void coreProbe::resetCore()
{
    ::resetCore();
}

void coreProbe::appendRows(int count, int speed, int fade, int level)
{
    for (int i = 0; i < count; ++i)
        appendRow(quint16(speed), quint16(fade), quint16(level));
}

int coreProbe::rowCount() const
{
    return coreModel()->m_data.size();
}

int coreProbe::cell(int row, int column) const
{
    const dimList *m = coreModel();
    if (row < 0 || row >= m->m_data.size() || column < 0 || column >= m->m_columns)
        return -1;
    return m->m_data.at(row)->at(column);
}

int coreProbe::level(int channel) const
{
    return (channel >= 0 && channel < 512) ? g_dimValue[channel] : -1;
}

int coreProbe::frameSlot(int slot) const
{
    return (slot >= 0 && slot < 512) ? dmxbox_lastFrame()[slot] : -1;
}

int coreProbe::sendCount() const
{
    return int(dmxbox_callCount());
}

bool coreProbe::playing() const
{
    return g_playEnable;
}

bool coreProbe::outputEnabled() const
{
    return coreModel()->m_dmx->m_outputEnable;
}

bool coreProbe::sendLive() const
{
    return coreModel()->m_dmx->m_sendLive;
}

int coreProbe::playStart() const
{
    return coreModel()->m_playStart;
}

int coreProbe::playEnd() const
{
    return coreModel()->m_playEnd;
}

// run_flag has no read accessor in QML; the tests read the stored flag here.
bool coreProbe::runFlag(int channel) const
{
    return (channel >= 0 && channel < 512) && ::channel(channel)->m_runFlag;
}

// Sets the snap flag and announces it the way the file loader does.
void coreProbe::announceDimEn(int channel, int value)
{
    if (channel < 0 || channel >= 512)
        return;
    dim *d = ::channel(channel);
    d->setDimEn(value != 0);
    emit d->dimEnChanged();
}
