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
        m_startUp.prepend(new light_fix(id, kFixtureChannels, this));
    m_fixList = m_startUp;
    restartWalk();
}

// An incremental walk: callers ask for 0, 1, 2, ... within one pass, so each call only
// looks at the fixture the walk stands on instead of searching the list.
bool light_list::mapChannel(int channel)
{
    if (m_fixList.isEmpty())
        return false;
    if (channel == 0)
        restartWalk();
    light_fix *fix = fixAt(m_fixList, g_mapFixture);
    if (g_mapCount < fix->fixChannels()) {
        ++g_mapCount;
    } else {
        m_chBase += fix->fixChannels();
        if (fix->fixSelect())
            m_selBase += fix->fixChannels();
        ++g_mapFixture;
        g_mapCount = 1;
        if (g_mapFixture >= m_fixList.size()) {
            restartWalk();
            return false;
        }
        fix = fixAt(m_fixList, g_mapFixture);
    }
    if (channel < m_chBase || channel > m_chBase + fix->fixChannels() - 1 || channel > 511)
        return false;
    if (!fix->fixSelect())
        return false;
    m_mapSlot = m_selBase + (channel - m_chBase);
    return true;
}

void light_list::debugList() const
{
    for (int i = 0; i < m_fixList.size(); ++i) {
        const light_fix *fix = fixAt(m_fixList, i);
        qDebug() << "****i:" << i << "select:" << (fix->fixSelect() ? "true" : "false")
                 << "id:" << fix->id() << "num:" << fix->fixChannels();
    }
}

// A fixture without channels would make the walk skip a channel, so it is refused.
bool light_list::addFixture(int channels)
{
    if (channels < 1)
        return false;
    if (m_added == 0)
        m_fixList.clear();
    m_fixList.append(new light_fix(m_added++, channels, this));
    restartWalk();
    emit fixturesChanged();
    return true;
}

bool light_list::removeLastFixture()
{
    if (m_added == 0)
        return false;
    if (m_added == 1) {
        restoreStartUp();
        return true;
    }
    // QML may still hold the entry until the strip has rebuilt its delegates.
    m_fixList.takeLast()->deleteLater();
    --m_added;
    restartWalk();
    emit fixturesChanged();
    return true;
}

void light_list::restoreStartUp()
{
    for (QObject *fix : qAsConst(m_fixList)) {
        if (!m_startUp.contains(fix))
            fix->deleteLater();
    }
    for (QObject *fix : qAsConst(m_startUp))
        static_cast<light_fix *>(fix)->setSelectUnannounced(true);
    m_fixList = m_startUp;
    m_added = 0;
    restartWalk();
    emit fixturesChanged();
}

void light_list::restartWalk()
{
    g_mapFixture = 0;
    g_mapCount = 0;
    m_chBase = 0;
    m_selBase = 0;
}
