#include "light_list.h"

#include "light_fix.h"

#include <QDebug>

int g_mapFixture = 0;
int g_mapCount = 0;

namespace
{
constexpr int kFixtureCount = 6;
constexpr int kFixtureChannels = 18;

light_fix *fixAt(const QList<QObject *> &list, int i)
{
    return static_cast<light_fix *>(list.at(i));
}
} // namespace

light_list::light_list(QObject *parent) : QObject(parent)
{
    for (int id = kFixtureCount - 1; id >= 0; --id)
        m_fixList.prepend(new light_fix(id, kFixtureChannels, this));
}

// An incremental walk: callers ask for 0, 1, 2, ... within one pass, so each call only
// looks at the fixture the walk stands on instead of searching the list.
bool light_list::mapChannel(int channel)
{
    if (m_fixList.isEmpty())
        return false;
    if (channel == 0) {
        g_mapFixture = 0;
        g_mapCount = 0;
        m_chBase = 0;
        m_selBase = 0;
    }
    light_fix *fix = fixAt(m_fixList, g_mapFixture);
    if (g_mapCount < fix->m_chNum) {
        ++g_mapCount;
    } else {
        m_chBase += fix->m_chNum;
        if (fix->m_select)
            m_selBase += fix->m_chNum;
        ++g_mapFixture;
        g_mapCount = 1;
        if (g_mapFixture >= m_fixList.size()) {
            g_mapFixture = 0;
            m_chBase = 0;
            m_selBase = 0;
            return false;
        }
        fix = fixAt(m_fixList, g_mapFixture);
    }
    if (channel < m_chBase || channel > m_chBase + fix->m_chNum - 1 || channel > 511)
        return false;
    if (!fix->m_select)
        return false;
    m_mapSlot = m_selBase + (channel - m_chBase);
    return true;
}

void light_list::debugList() const
{
    for (int i = 0; i < m_fixList.size(); ++i) {
        const light_fix *fix = fixAt(m_fixList, i);
        qDebug() << "****i:" << i << "select:" << (fix->m_select ? "true" : "false")
                 << "id:" << fix->m_id << "num:" << fix->m_chNum;
    }
}
