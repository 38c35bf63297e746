#include "windowannouncer.h"
#include "changeset.h"
#include "dmx.h"
#include "playstate.h"
#include "showdocument.h"

windowAnnouncer::windowAnnouncer(showDocument &show, dmx &output, QObject *parent)
    : QObject(parent), m_show(show), m_output(output)
{
}

// The covered rows are the part of the range that lies in the table.
windowAnnouncer::shownState windowAnnouncer::currentState() const
{
    shownState s;
    s.current = m_show.editRow();
    const showDocument::range ends = m_show.playRange();
    const showDocument::range covered = m_show.coveredRows();
    s.start = ends.start;
    s.end = ends.end;
    s.first = covered.start;
    s.last = covered.end;
    s.playing = g_playEnable;
    s.output = m_output.outputEnabled();
    s.whole = m_show.wholeTable();
    return s;
}

int windowAnnouncer::rangeFirst() const
{
    return currentState().first;
}

int windowAnnouncer::rangeLast() const
{
    return currentState().last;
}

void windowAnnouncer::settle(bool showEditRow)
{
    // A stop leaves the faders on the red row's levels, not on a fade's last output.
    m_loadPending = m_loadPending || showEditRow || (m_shown.playing && !g_playEnable);
    if (m_batch > 0) {
        m_batchPending = true;
        return;
    }
    if (changeSet::isOpen()) {
        if (!m_settlePending) {
            m_settlePending = true;
            changeSet::afterwards([this] {
                m_settlePending = false;
                settle(false);
            });
        }
        return;
    }
    shownState now;
    {
        const changeSet edit;
        if (!g_playEnable) {
            m_show.setEditRow(m_show.rowInside(m_show.editRow()));
            if (m_loadPending && m_show.validRow(m_show.editRow()))
                m_output.showRow(m_show.steps(), m_show.editRow());
        }
        m_loadPending = false;
        now = currentState();
    }
    announce(now);
}

void windowAnnouncer::endBatch()
{
    if (--m_batch > 0 || !m_batchPending)
        return;
    m_batchPending = false;
    settle(false);
}

void windowAnnouncer::rowLoaded()
{
    if (changeSet::isOpen()) {
        changeSet::afterwards([this] { rowLoaded(); });
        return;
    }
    m_rowTold = false;
    settle(false);
    if (!m_rowTold)
        emit currentRowChanged(m_shown.current);
}

void windowAnnouncer::announce(const shownState &now)
{
    const shownState was = m_shown;
    m_shown = now;
    if (now.start != was.start || now.end != was.end || now.first != was.first ||
        now.last != was.last)
        emit playRangeChanged(now.start, now.end);
    if (now.current != was.current) {
        m_rowTold = true;
        emit currentRowChanged(now.current);
    }
    if (now.playing != was.playing)
        emit playingChanged();
    if (now.output != was.output)
        emit outputEnabledChanged();
    if (now.whole != was.whole)
        emit wholeTableChanged();
}
