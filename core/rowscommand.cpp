#include "rowscommand.h"

#include "dimlist.h"
#include "playengine.h"

rowsCommand::rowsCommand(undoHistory *history, int position, int count, QUndoCommand *parent)
    : historyCommand(history, parent), m_position(position), m_count(count), m_inserted(true)
{
}

rowsCommand::rowsCommand(undoHistory *history, int position, const QList<StepRow *> &removed,
                         QUndoCommand *parent)
    : historyCommand(history, parent), m_position(position), m_count(removed.size()),
      m_inserted(false), m_held(removed)
{
}

rowsCommand::~rowsCommand()
{
    qDeleteAll(m_held);
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
    const auto held = playEngine::lock();
    const int end = qMin(m_position + m_count, model->m_data.size());
    for (int r = m_position; r < end; ++r)
        m_held.append(model->m_data.at(r));
    if (m_position < end)
        model->m_data.erase(model->m_data.begin() + m_position, model->m_data.begin() + end);
    if (m_held.contains(model->m_rowData))
        model->m_rowData = nullptr;
}

void rowsCommand::putBack()
{
    dimList *model = m_history->model();
    const auto held = playEngine::lock();
    const int at = qBound(0, m_position, model->m_data.size());
    for (int i = 0; i < m_held.size(); ++i)
        model->m_data.insert(at + i, m_held.at(i));
    m_held.clear();
}
