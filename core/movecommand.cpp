#include "movecommand.h"

#include "dimlist.h"
#include "playengine.h"

moveCommand::moveCommand(undoHistory *history, int from, int count, int to, QUndoCommand *parent)
    : historyCommand(history, parent), m_from(from), m_count(count), m_to(to)
{
}

// from and to are the block's first row before and after the move.
void moveCommand::move(int from, int to)
{
    const auto held = playEngine::lock();
    QList<StepRow *> &rows = m_history->model()->m_data;
    if (from < 0 || to < 0 || from + m_count > rows.size() || to + m_count > rows.size())
        return;
    const QList<StepRow *> block = rows.mid(from, m_count);
    rows.erase(rows.begin() + from, rows.begin() + from + m_count);
    for (int i = 0; i < m_count; ++i)
        rows.insert(to + i, block.at(i));
}
