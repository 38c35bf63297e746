#include "songcommand.h"

songCommand::songCommand(undoHistory *history, undoHistory::songRestore restore, songLink before,
                         songLink after, QUndoCommand *parent)
    : historyCommand(history, parent), m_restore(std::move(restore)), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void songCommand::applyBack()
{
    m_restore(m_before);
}

void songCommand::applyAgain()
{
    m_restore(m_after);
}
