#include "movecommand.h"
#include "changeset.h"
#include "historywindow.h"

moveCommand::moveCommand(undoHistory *history, int from, int count, int to, QUndoCommand *parent)
    : historyCommand(history, parent), m_from(from), m_count(count), m_to(to)
{
}

// from and to are the block's first row before and after the move.
void moveCommand::move(int from, int to)
{
    const changeSet edit;
    showDocument &show = m_history->window()->document();
    const int rows = show.steps().size();
    if (from < 0 || to < 0 || from + m_count > rows || to + m_count > rows)
        return;
    show.moveRows(from, m_count, to);
}
