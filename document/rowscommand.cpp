#include "rowscommand.h"
#include "changeset.h"

#include "dimlist.h"
#include "playengine.h"

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
    dimList *model = m_history->model();
    const changeSet edit;
    stepTable &rows = model->stepsForWriting();
    const int end = qMin(m_position + m_count, rows.size());
    if (m_position < end) {
        m_held = rows.take(m_position, end - m_position);
        model->rowsMoved({rowMove::kind::removed, m_position, end - m_position, 0});
    }
}

void rowsCommand::putBack()
{
    dimList *model = m_history->model();
    const changeSet edit;
    stepTable &rows = model->stepsForWriting();
    const int at = qBound(0, m_position, rows.size());
    rows.insert(at, m_held);
    model->rowsMoved({rowMove::kind::inserted, at, m_held.size(), 0});
    m_held.clear();
}
