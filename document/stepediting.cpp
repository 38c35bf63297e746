#include "stepediting.h"
#include "changeset.h"
#include "editwindow.h"
#include "undohistory.h"

#include <QDebug>

stepEditing::stepEditing(editWindow &window) : m_window(window) {}

bool stepEditing::insertRows(int row, int count)
{
    showDocument &show = m_window.document();
    if (row < 0 || row > show.steps().size() || count < 0)
        return false;
    if (count == 0)
        return true;
    const rowMove move{rowMove::kind::inserted, row, count, row};
    m_window.beginRowsChange(move);
    changeSet edit;
    const quint16 speed = row > 0 ? show.steps().speed(row - 1) : 0;
    const quint16 fade = row > 0 ? show.steps().fade(row - 1) : 90;
    show.insertRows(row, count, speed, fade, m_window.faderLevels(), stepTable::kMaxChannels);
    edit.close();
    m_window.endRowsChange(move);
    m_window.changeHistory()->rowsInserted(row, count);
    rowsChanged();
    return true;
}

bool stepEditing::removeRows(int row, int count)
{
    showDocument &show = m_window.document();
    if (count < 1)
        return false;
    // Only the part of the block that lies in the table is removed and announced.
    const int first = qMax(row, 0);
    const int last =
        static_cast<int>(qMin<qint64>(qint64(row) + count - 1, show.steps().size() - 1));
    if (first > last)
        return false;
    const rowMove move{rowMove::kind::removed, first, last - first + 1, first};
    m_window.beginRowsChange(move);
    changeSet edit;
    const stepTable removed = show.takeRows(first, last - first + 1);
    edit.close();
    m_window.endRowsChange(move);
    m_window.changeHistory()->rowsRemoved(first, removed);
    rowsChanged();
    return true;
}

bool stepEditing::moveRows(int sourceRow, int count, int destinationChild)
{
    showDocument &show = m_window.document();
    const int rows = show.steps().size();
    if (count < 1 || sourceRow < 0 || sourceRow > rows - count || destinationChild < 0 ||
        destinationChild > rows)
        return false;
    // Into its own block, or to where it stands, moves nothing.
    if (destinationChild >= sourceRow && destinationChild <= sourceRow + count)
        return false;
    // destinationChild counts rows before the move; past the block it shifts by count.
    const int to = destinationChild < sourceRow ? destinationChild : destinationChild - count;
    const rowMove move{rowMove::kind::moved, sourceRow, count, to};
    if (!m_window.beginRowsChange(move))
        return false;
    changeSet edit;
    show.moveRows(sourceRow, count, to);
    edit.close();
    m_window.endRowsChange(move);
    m_window.changeHistory()->rowsMoved(sourceRow, count, to);
    m_window.settle(true);
    return true;
}

void stepEditing::writeCell(ushort value, ushort column, ushort row)
{
    showDocument &show = m_window.document();
    changeSet edit;
    if (m_window.playing() || !show.validRow(row))
        return;
    const int columns = stepTable::kFixedCells + stepTable::kMaxChannels;
    column = qMin<ushort>(column, columns - 1);
    show.setEditRow(row);
    const StepRow before = show.steps().row(row, columns);
    m_window.storeCell(row, column, value);
    const int channel = column - stepTable::kFixedCells;
    if (channel > 0 && m_window.channelLinked(channel)) {
        for (int c = 0; c < channel; ++c) {
            if (m_window.channelLinked(c))
                m_window.storeCell(row, c + stepTable::kFixedCells, value);
        }
    }
    edit.close();
    // The history's stack announces its new step after the operation.
    changeSet::afterwards([this, row, before] {
        if (m_window.document().validRow(row))
            recordRowEdit(row, before);
    });
    // The window marks the row that edits go into.
    m_window.settle(true);
}

// The cells of a row that an edit changed, with their old values, for undo.
void stepEditing::recordRowEdit(int row, const StepRow &before)
{
    const StepRow after = m_window.document().steps().row(row, before.size());
    QVector<cellChange> changes;
    for (int c = 0; c < after.size(); ++c) {
        if (after.at(c) != before.at(c))
            changes.append({row, quint16(c), before.at(c), after.at(c)});
    }
    m_window.changeHistory()->cellsChanged(std::move(changes));
}

void stepEditing::selectWholeTable()
{
    {
        const changeSet edit;
        showDocument &show = m_window.document();
        if (show.toggleWholeTable())
            show.setEditRow(show.playRange().start);
    }
    m_window.settle(true);
}

// Inserted and removed rows move the positions; the faders show the edit row.
void stepEditing::rowsChanged()
{
    keepPositionsInTable();
    m_window.settle(true);
}

void stepEditing::keepPositionsInTable()
{
    const changeSet edit;
    m_window.document().keepInside();
}

void stepEditing::setPlayerEndRow(ushort row)
{
    {
        const changeSet edit;
        m_window.document().setPlayEnd(row);
    }
    m_window.settle(false);
}

void stepEditing::setDmxDataBetween(uint index)
{
    const changeSet edit;
    m_window.document().setBetween(index);
}

// Tells the window where an edit moved the current row and the play range.
// Playback moves the current row and clamps the ends on its own thread.
stepEditing::rowPositions stepEditing::positions() const
{
    const showDocument::range range = m_window.document().playRange();
    return {m_window.document().editRow(), range.start, range.end};
}

// The window hears of the rows, the range and the edit row once, after the whole operation;
// the faders show the edit row.
void stepEditing::announcePositions()
{
    m_window.settle(true);
}

// An end on the row past the table's last steps back onto it.
void stepEditing::dropEndPastTable()
{
    showDocument &show = m_window.document();
    const int end = show.playRange().end;
    if (end >= show.steps().size())
        show.setPlayEnd(end - 1);
}

void stepEditing::insertEndRows()
{
    const editWindow::batch once(m_window);
    const int rows = m_window.document().steps().size();
    qDebug() << "StartInsertRows:" << rows;
    insertRows(rows, 1);
    qDebug() << "EndInsertRows:" << m_window.document().steps().size();
}

void stepEditing::insertCurrRows()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    rowPositions before;
    int c;
    {
        const changeSet edit;
        before = positions();
        c = qMax(-1, qMin(show.editRow(), show.steps().size() - 1));
        show.setEditRow(c);
    }
    insertRows(c + 1, 1);
    {
        const changeSet edit;
        show.setPlayEnd(before.end >= c ? before.end + 1 : before.end);
        keepPositionsInTable();
        // The user goes on to build the new step: fader moves go into it. Playback keeps the
        // row it stands on.
        if (!m_window.playing())
            show.setEditRow(c + 1);
    }
    announcePositions();
}

void stepEditing::removeEndRows()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    if (show.steps().isEmpty())
        return;
    removeRows(show.steps().size() - 1, 1);
    {
        const changeSet edit;
        dropEndPastTable();
        keepPositionsInTable();
    }
    announcePositions();
}

void stepEditing::removeCurrRows()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    if (show.steps().isEmpty())
        return;
    const rowPositions before = positions();
    if (before.current >= 0)
        removeRows(before.current, 1);
    {
        const changeSet edit;
        dropEndPastTable();
        keepPositionsInTable();
    }
    announcePositions();
}

void stepEditing::removeSelectRows()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    // Exactly the rows the window shades: the part of the range inside the table.
    const showDocument::range covered = show.coveredRows();
    const showDocument::range ends = show.playRange();
    const int lo = qMin(ends.start, ends.end);
    if (covered.start >= 0 && covered.start <= covered.end)
        removeRows(covered.start, covered.end - covered.start + 1);
    {
        const changeSet edit;
        if (show.steps().isEmpty()) {
            show.setPlayRange(0, 0);
            show.setEditRow(-1);
        } else {
            // Collapse onto the row before the block, whichever way round the range was given.
            const int p = qMin(lo > 0 ? lo - 1 : 0, show.steps().size() - 1);
            show.setPlayRange(p, p);
            show.setEditRow(p);
        }
    }
    announcePositions();
}

void stepEditing::removeAll()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    if (!show.steps().isEmpty())
        removeRows(0, show.steps().size());
    {
        const changeSet edit;
        show.setPlayEnd(0);
        show.setEditRow(-1);
    }
    announcePositions();
}

void stepEditing::moveUpRows()
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    const int current = show.editRow();
    // The model announces the move itself, after the operation.
    if (show.validRow(current) && current >= 1)
        moveRows(current, 1, current - 1);
    {
        const changeSet edit;
        if (show.editRow() > 0)
            show.setEditRow(show.editRow() - 1);
        keepPositionsInTable();
    }
    m_window.rowsRewritten();
    announcePositions();
}

void stepEditing::moveDownRows()
{
    const editWindow::batch once(m_window);
    int moved = -1;
    {
        const changeSet edit;
        showDocument &show = m_window.document();
        const int rows = show.steps().size();
        const int current = show.editRow();
        if (current >= 0 && current + 2 <= rows) {
            // No row-move notification: the reset below tells the view.
            moved = current;
            show.moveRows(moved, 1, moved + 1);
            if (current < rows - 1)
                show.setEditRow(current + 1);
        }
        keepPositionsInTable();
    }
    if (moved >= 0)
        m_window.changeHistory()->rowsMoved(moved, 1, moved + 1);
    m_window.rowsRewritten();
    announcePositions();
}

void stepEditing::setAllDmxSpeedCross(ushort speed, ushort fade)
{
    changeSet edit;
    QVector<cellChange> changes;
    stepTable &rows = m_window.document().stepsForWriting();
    for (int row = 0; row < rows.size(); ++row) {
        if (rows.speed(row) != speed)
            changes.append({row, 1, rows.speed(row), speed});
        if (rows.fade(row) != fade)
            changes.append({row, 2, rows.fade(row), fade});
        rows.setCell(row, 1, speed);
        rows.setCell(row, 2, fade);
    }
    edit.close();
    m_window.changeHistory()->cellsChanged(std::move(changes));
    m_window.rowsRewritten();
}

void stepEditing::dmx_up_down_select_row(bool up_down)
{
    const editWindow::batch once(m_window);
    showDocument &show = m_window.document();
    int current;
    {
        const changeSet edit;
        current = show.editRow();
        if (up_down) {
            if (current > 0)
                --current;
        } else if (current < show.steps().size() - 1) {
            ++current;
        }
        show.setEditRow(current);
        keepPositionsInTable();
        current = show.editRow();
    }
    qDebug() << "dmxRowToDim():m_currentRow" << current;
    announcePositions();
}
