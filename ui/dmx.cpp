#include "dmx.h"
#include "changeset.h"

#include "dim.h"
#include "dimlist.h"
#include "dmxbox.h"
#include "light_list.h"
#include "playengine.h"
#include "steptable.h"

#include <QDebug>

#include <cstring>

namespace
{
// The built-in scene of "Init:"; channels not listed are 0.
uchar defaultLevel(int channel)
{
    switch (channel) {
    case 1:
        return 255;
    case 3:
    case 4:
        return 200;
    case 7:
    case 8:
    case 11:
    case 17:
    case 18:
    case 19:
    case 20:
        return 128;
    default:
        return 0;
    }
}
} // namespace

dmx::dmx(showDocument &show, QObject *parent)
    : QObject(parent), m_lightList(new light_list(nullptr))
{
    {
        // New channels start dark, and nothing has been sent through them yet.
        const changeSet edit;
        std::memset(g_dimValue, 0, sizeof g_dimValue);
        std::memset(g_dmxFrame, 0, sizeof g_dmxFrame);
    }
    m_dims.reserve(512);
    for (ushort i = 0; i < 512; ++i)
        m_dims.append(new dim(i, show));
}

dmx::~dmx()
{
    qDeleteAll(m_dims);
    delete m_lightList;
}

void dmx::setOutputEnabled(bool on)
{
    m_outputEnable = on;
    if (m_engine)
        m_engine->setOutputEnabled(on);
}

dim *dmx::channel(int index) const
{
    return static_cast<dim *>(m_dims.at(index));
}

bool dmx::setLevel(int index, uchar value)
{
    dim *d = channel(index);
    {
        const changeSet edit;
        if (g_dimValue[d->channelIndex()] == value)
            return false;
        g_dimValue[d->channelIndex()] = value;
    }
    changeSet::afterwards([d] { emit d->dimValueChanged(); });
    return true;
}

void dmx::setLevels(const uchar *levels)
{
    bool changed = false;
    for (int c = 0; c < 512; ++c)
        changed = setLevel(c, levels[c]) || changed;
    if (changed && m_sendLive)
        sendDmx();
}

void dmx::showRow(const stepTable &steps, int row)
{
    const changeSet edit;
    uchar levels[stepTable::kMaxChannels];
    for (int c = 0; c < stepTable::kMaxChannels; ++c)
        levels[c] = steps.level(row, c);
    setLevels(levels);
}

void dmx::setDmxValue(uchar value, ushort channel)
{
    if (channel > 511)
        channel = 511;
    setLevel(channel, value);
    if (m_sendLive)
        sendDmx();
}

// Packed at once; the engine's output thread hands it to the library.
void dmx::sendDmx()
{
    if (m_engine)
        m_engine->sendFrame();
}

void dmx::setAllDmxValue(uchar value)
{
    const dimList::batch once(g_dimList);
    for (int i = 0; i < 512; ++i) {
        setLevel(i, value);
        {
            const changeSet edit;
            g_dmxFrame[i] = value;
        }
        const ushort num = channel(i)->channelIndex();
        g_dimList->setDmxData(value, num + 3, static_cast<ushort>(g_dimList->currentRow()));
    }
    g_dimList->refrushModel();
    if (m_sendLive)
        sendDmx();
    qDebug() << "dmx::setAllDmxValue OK:" << int(value);
}

void dmx::setDefaultDmxValue()
{
    const dimList::batch once(g_dimList);
    for (int i = 0; i < 512; ++i) {
        const uchar level = defaultLevel(i + 1);
        setLevel(i, level);
        const ushort num = channel(i)->channelIndex();
        g_dimList->setDmxData(level, num + 3, static_cast<ushort>(g_dimList->currentRow()));
    }
    g_dimList->refrushModel();
    if (m_sendLive)
        sendDmx();
    qDebug() << "dmx::setDefaultDmxValue OK:";
}

int dmx::outputState() const
{
    return DMXBoxState(0);
}
