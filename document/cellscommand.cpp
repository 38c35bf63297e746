#include "cellscommand.h"
#include "changeset.h"
#include "historywindow.h"

#include <algorithm>

cellsCommand::cellsCommand(undoHistory *history, QVector<cellChange> changes, QUndoCommand *parent)
    : historyCommand(history, parent), m_changes(std::move(changes)), m_lastWrite(history->now())
{
}

bool cellsCommand::sameCells(const cellsCommand &other) const
{
    if (other.m_changes.size() != m_changes.size())
        return false;
    for (int i = 0; i < m_changes.size(); ++i) {
        if (m_changes.at(i).row != other.m_changes.at(i).row ||
            m_changes.at(i).column != other.m_changes.at(i).column)
            return false;
    }
    return true;
}

bool cellsCommand::mergeWith(const QUndoCommand *other)
{
    const auto *next = static_cast<const cellsCommand *>(other);
    if (next->m_lastWrite - m_lastWrite > kDragGapMs || !sameCells(*next))
        return false;
    bool unchanged = true;
    for (int i = 0; i < m_changes.size(); ++i) {
        m_changes[i].after = next->m_changes.at(i).after;
        unchanged = unchanged && m_changes.at(i).after == m_changes.at(i).before;
    }
    m_lastWrite = next->m_lastWrite;
    // A drag that ends where it started leaves no step behind.
    setObsolete(unchanged);
    return true;
}

void cellsCommand::absorb(const QVector<cellChange> &changes)
{
    for (const cellChange &change : changes) {
        auto same = std::find_if(m_changes.begin(), m_changes.end(), [&](const cellChange &c) {
            return c.row == change.row && c.column == change.column;
        });
        if (same == m_changes.end())
            m_changes.append(change);
        else
            same->after = change.after;
    }
}

// The faders follow a changed channel of the current row, as after a typed cell.
void cellsCommand::write(bool after)
{
    historyWindow *window = m_history->window();
    showDocument &show = window->document();
    showDocument::cellArea area;
    changeSet edit;
    for (const cellChange &change : qAsConst(m_changes)) {
        if (!show.validRow(change.row))
            continue;
        const quint16 value = after ? change.after : change.before;
        show.stepsForWriting().setCell(change.row, change.column, value);
        area.add(change.row, change.column);
        window->cellWritten(change.row, change.column, value);
    }
    edit.close();
    window->cellsWritten(area);
}
