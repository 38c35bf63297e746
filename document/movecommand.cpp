#include "movecommand.h"
#include "changeset.h"

#include "dimlist.h"
#include "playengine.h"

moveCommand::moveCommand(undoHistory *history, int from, int count, int to, QUndoCommand *parent)
    : historyCommand(history, parent), m_from(from), m_count(count), m_to(to)
{
}

// from and to are the block's first row before and after the move.
void moveCommand::move(int from, int to)
{
    const changeSet edit;
    stepTable &rows = m_history->model()->stepsForWriting();
    if (from < 0 || to < 0 || from + m_count > rows.size() || to + m_count > rows.size())
        return;
    rows.move(from, m_count, to);
    m_history->model()->rowsMoved({rowMove::kind::moved, from, m_count, to});
}
