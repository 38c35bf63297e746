#include "stepediting.h"
#include "changeset.h"

#include "dimlist.h"
#include "playengine.h"
#include "undohistory.h"

#include <QDebug>

stepEditing::stepEditing(dimList *list) : m_list(list) {}

void stepEditing::setPlayerEndRow(ushort row)
{
    {
        const changeSet edit;
        m_list->setPlayEnd(row);
    }
    m_list->settle(false);
}

void stepEditing::setDmxDataBetween(uint index)
{
    const changeSet edit;
    m_list->setBetween(index);
}

// Tells the window where an edit moved the current row and the play range.
// Playback moves the current row and clamps the ends on its own thread.
stepEditing::rowPositions stepEditing::positions() const
{
    const dimList::rangeEnds range = m_list->playRange();
    return {g_currentRow, range.start, range.end};
}

// The window hears of the rows, the range and the edit row once, after the whole operation;
// the faders show the edit row.
void stepEditing::announcePositions()
{
    m_list->settle(true);
}

// An end on the row past the table's last steps back onto it.
void stepEditing::dropEndPastTable()
{
    const int end = m_list->playRange().end;
    if (end >= m_list->steps().size())
        m_list->setPlayEnd(end - 1);
}

void stepEditing::insertEndRows()
{
    const dimList::batch once(m_list);
    qDebug() << "StartInsertRows:" << m_list->steps().size();
    m_list->insertRows(m_list->steps().size(), 1, QModelIndex());
    qDebug() << "EndInsertRows:" << m_list->steps().size();
}

void stepEditing::insertCurrRows()
{
    const dimList::batch once(m_list);
    rowPositions before;
    int c;
    {
        const changeSet edit;
        before = positions();
        c = qMax(-1, qMin(g_currentRow, m_list->steps().size() - 1));
        g_currentRow = c;
    }
    // Unlocked while the views hear of the row, so the output thread keeps its ticks.
    m_list->insertRows(c + 1, 1, QModelIndex());
    {
        const changeSet edit;
        m_list->setPlayEnd(before.end >= c ? before.end + 1 : before.end);
        m_list->keepPositionsInTable();
        // The user goes on to build the new step: fader moves go into it. Playback keeps the
        // row it stands on.
        if (!g_playEnable)
            g_currentRow = c + 1;
    }
    announcePositions();
}

void stepEditing::removeEndRows()
{
    const dimList::batch once(m_list);
    if (m_list->steps().isEmpty())
        return;
    m_list->removeRows(m_list->steps().size() - 1, 1, QModelIndex());
    {
        const changeSet edit;
        dropEndPastTable();
        if (g_currentRow >= m_list->steps().size())
            --g_currentRow;
        m_list->keepPositionsInTable();
    }
    announcePositions();
}

void stepEditing::removeCurrRows()
{
    const dimList::batch once(m_list);
    if (m_list->steps().isEmpty())
        return;
    const rowPositions before = positions();
    if (before.current >= 0)
        m_list->removeRows(before.current, 1, QModelIndex());
    {
        const changeSet edit;
        if (g_currentRow >= m_list->steps().size())
            --g_currentRow;
        dropEndPastTable();
        m_list->keepPositionsInTable();
    }
    announcePositions();
}

void stepEditing::removeSelectRows()
{
    const dimList::batch once(m_list);
    // Exactly the rows the window shades: the part of the range inside the table.
    const int first = m_list->rangeFirst();
    const int last = m_list->rangeLast();
    const int lo = qMin(m_list->playStart(), m_list->playEnd());
    if (first >= 0 && first <= last)
        m_list->removeRows(first, last - first + 1, QModelIndex());
    {
        const changeSet edit;
        if (m_list->steps().isEmpty()) {
            m_list->setPlayRange(0, 0);
            g_currentRow = -1;
        } else {
            // Collapse onto the row before the block, whichever way round the range was given.
            const int p = qMin(lo > 0 ? lo - 1 : 0, m_list->steps().size() - 1);
            m_list->setPlayRange(p, p);
            g_currentRow = p;
        }
    }
    announcePositions();
}

void stepEditing::removeAll()
{
    const dimList::batch once(m_list);
    if (!m_list->steps().isEmpty())
        m_list->removeRows(0, m_list->steps().size(), QModelIndex());
    {
        const changeSet edit;
        m_list->setPlayEnd(0);
        g_currentRow = -1;
    }
    announcePositions();
}

void stepEditing::moveUpRows()
{
    const dimList::batch once(m_list);
    const int current = g_currentRow;
    // The model announces the move itself, after the operation.
    if (m_list->validRow(current) && current >= 1)
        m_list->moveRows(QModelIndex(), current, 1, QModelIndex(), current - 1);
    {
        const changeSet edit;
        if (g_currentRow > 0)
            --g_currentRow;
        m_list->keepPositionsInTable();
    }
    m_list->refrushModel();
    announcePositions();
}

void stepEditing::moveDownRows()
{
    const dimList::batch once(m_list);
    int moved = -1;
    {
        const changeSet edit;
        showDocument &show = m_list->document();
        const int rows = show.steps().size();
        if (g_currentRow >= 0 && g_currentRow + 2 <= rows) {
            // No row-move notification: the reset below tells the view.
            moved = g_currentRow;
            show.moveRows(moved, 1, moved + 1);
            if (g_currentRow < rows - 1)
                ++g_currentRow;
        }
        m_list->keepPositionsInTable();
    }
    if (moved >= 0)
        m_list->changeHistory()->rowsMoved(moved, 1, moved + 1);
    m_list->refrushModel();
    announcePositions();
}

void stepEditing::setAllDmxSpeedCross(ushort speed, ushort fade)
{
    changeSet edit;
    QVector<cellChange> changes;
    stepTable &rows = m_list->stepsForWriting();
    for (int row = 0; row < rows.size(); ++row) {
        if (rows.speed(row) != speed)
            changes.append({row, 1, rows.speed(row), speed});
        if (rows.fade(row) != fade)
            changes.append({row, 2, rows.fade(row), fade});
        rows.setCell(row, 1, speed);
        rows.setCell(row, 2, fade);
    }
    edit.close();
    m_list->changeHistory()->cellsChanged(std::move(changes));
    m_list->refrushModel();
}

void stepEditing::dmx_up_down_select_row(bool up_down)
{
    const dimList::batch once(m_list);
    int current;
    {
        const changeSet edit;
        if (up_down) {
            if (g_currentRow > 0)
                --g_currentRow;
        } else if (g_currentRow < m_list->steps().size() - 1) {
            ++g_currentRow;
        }
        m_list->keepPositionsInTable();
        current = g_currentRow;
    }
    qDebug() << "dmxRowToDim():m_currentRow" << current;
    announcePositions();
}
