#include "showchase.h"

#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "playengine.h"
#include "showtimeline.h"

showChase::showChase(dimList *list, QObject *parent, playEngine::chaseSource from)
    : QObject(parent), m_list(list), m_from(from)
{
    m_later.setSingleShot(true);
    m_later.setInterval(0);
    connect(&m_later, &QTimer::timeout, this, &showChase::refresh);
    auto later = [this] {
        if (m_enabled)
            m_later.start();
    };
    connect(list, &QAbstractItemModel::dataChanged, this, later);
    connect(list, &QAbstractItemModel::rowsInserted, this, later);
    connect(list, &QAbstractItemModel::rowsRemoved, this, later);
    connect(list, &QAbstractItemModel::rowsMoved, this, later);
    connect(list, &QAbstractItemModel::modelReset, this, later);
    connect(list, &dimList::playRangeChanged, this, later);
    connect(list, &dimList::speedMasterChanged, this, later);
    connect(list, &dimList::playingChanged, this, later);
    for (QObject *channel : list->output()->channels())
        connect(static_cast<dim *>(channel), &dim::dimEnChanged, this, later);
}

void showChase::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on)
        m_repeat = m_list->repeat();
    refresh();
    emit changed();
}

void showChase::setOffsetMs(qint64 offset)
{
    if (offset == m_offset)
        return;
    m_offset = offset;
    // Off, there is nothing to lay out, and the other chase may be on.
    if (m_enabled)
        refresh();
    emit changed();
}

void showChase::refresh()
{
    m_later.stop();
    playEngine *engine = m_list->engine();
    if (!m_enabled) {
        m_line.reset();
        engine->setChase(nullptr, 0);
        return;
    }
    m_line = layOut();
    engine->setChase(m_line, m_offset, m_from);
}

std::shared_ptr<const showTimeline> showChase::layOut() const
{
    showTimeline::setup show = m_list->playSetup();
    show.repeat = m_enabled ? m_repeat : m_list->repeat();
    return showTimeline::build(show);
}

std::shared_ptr<const showTimeline> showChase::timeline()
{
    if (m_later.isActive())
        refresh();
    return m_line;
}
