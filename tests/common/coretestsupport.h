#ifndef CORETESTSUPPORT_H
#define CORETESTSUPPORT_H

#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxbox_record.h"
#include "light_fix.h"
#include "light_list.h"
#include "playengine.h"
#include "undohistory.h"

#include <QTimer>
#include <cstring>

// The core is a process-wide singleton graph; tests share one and put it back to its
// start-up state before each case.
inline dimList *coreModel()
{
    if (!g_dimList)
        g_dimList = new dimList(nullptr);
    return g_dimList;
}

inline dim *channel(int index)
{
    return static_cast<dim *>(coreModel()->m_dmx->m_dims.at(index));
}

inline light_fix *fixture(int index)
{
    return static_cast<light_fix *>(coreModel()->m_dmx->m_lightList->m_fixList.at(index));
}

inline void resetCore()
{
    dimList *m = coreModel();
    // Ticks and holds on this thread's timers, so that a test can drive them by hand.
    m->m_engine->setOutputThread(false);
    m->m_timer->stop();
    g_playEnable = false;
    g_advanceRow = 1;
    g_currentRow = -1;
    m->m_history->clear();
    qDeleteAll(m->m_data);
    m->m_data.clear();
    m->refrushModel();
    m->m_playStart = 0;
    m->m_playEnd = -1;
    m->m_between = 1;
    m->m_repeat = 0;
    m->m_fadeStep->fill(0.0f);
    m->m_fadeValue->fill(0.0f);
    m->m_dmx->m_sendLive = false;
    m->m_dmx->m_outputEnable = false;
    for (int i = 0; i < 512; ++i) {
        channel(i)->m_en = 0;
        channel(i)->m_linkage = 0;
        channel(i)->m_runFlag = false;
    }
    m->m_dmx->m_lightList->restoreStartUp();
    std::memset(g_dimValue, 0, sizeof g_dimValue);
    std::memset(g_dmxFrame, 0, sizeof g_dmxFrame);
    dmxbox_reset();
}

// The snap flags of the first count channels, channel 1 first.
inline QList<int> flags(int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << channel(i)->dimEn();
    return out;
}

// Appends a row directly, bypassing the editing operations under test elsewhere.
inline StepRow *appendRow(quint16 speed = 0, quint16 fade = 0, quint16 level = 0)
{
    dimList *m = coreModel();
    auto *row = new StepRow(m->m_columns, 0);
    (*row)[0] = static_cast<quint16>(m->m_data.size());
    (*row)[1] = speed;
    (*row)[2] = fade;
    for (int c = 3; c < m->m_columns; ++c)
        (*row)[c] = level;
    m->m_data.append(row);
    m->refrushModel();
    return row;
}

#endif
