#include "songcommand.h"

#include "songstate.h"

songCommand::songCommand(undoHistory *history, songState *song, songLink before, songLink after,
                         QUndoCommand *parent)
    : historyCommand(history, parent), m_song(song), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void songCommand::applyBack()
{
    m_song->restore(m_before);
}

void songCommand::applyAgain()
{
    m_song->restore(m_after);
}
