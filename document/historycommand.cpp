#include "historycommand.h"

historyCommand::historyCommand(undoHistory *history, QUndoCommand *parent)
    : QUndoCommand(parent), m_history(history)
{
}

void historyCommand::undo()
{
    apply(true);
}

void historyCommand::redo()
{
    if (m_pending) {
        m_pending = false;
        return;
    }
    apply(false);
}

// What a step does to the table must not be recorded as a new step.
void historyCommand::apply(bool back)
{
    const bool was = m_history->replaying();
    m_history->setReplaying(true);
    if (back)
        applyBack();
    else
        applyAgain();
    m_history->setReplaying(was);
}
