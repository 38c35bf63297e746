#include "rowscommand.h"
#include "changeset.h"
#include "historywindow.h"

rowsCommand::rowsCommand(undoHistory *history, int position, int count, QUndoCommand *parent)
    : historyCommand(history, parent), m_position(position), m_count(count), m_inserted(true)
{
}

rowsCommand::rowsCommand(undoHistory *history, int position, const stepTable &removed,
                         QUndoCommand *parent)
    : historyCommand(history, parent), m_position(position), m_count(removed.size()),
      m_inserted(false), m_held(removed)
{
}

void rowsCommand::applyBack()
{
    if (m_inserted)
        takeOut();
    else
        putBack();
}

void rowsCommand::applyAgain()
{
    if (m_inserted)
        putBack();
    else
        takeOut();
}

void rowsCommand::takeOut()
{
    showDocument &show = m_history->window()->document();
    const changeSet edit;
    const int end = qMin(m_position + m_count, show.steps().size());
    if (m_position < end)
        m_held = show.takeRows(m_position, end - m_position);
}

void rowsCommand::putBack()
{
    showDocument &show = m_history->window()->document();
    const changeSet edit;
    show.insertRows(qBound(0, m_position, show.steps().size()), m_held);
    m_held.clear();
}
