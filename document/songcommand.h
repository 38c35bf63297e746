#ifndef SONGCOMMAND_H
#define SONGCOMMAND_H

#include "historycommand.h"

#include "songanalysis.h"

// The song the show is set to, before and after a change (attached, corrected, removed,
// loaded), each link with its song's absolute path, so the step holds whatever folder the
// show is saved to meanwhile.
// GUI thread only, like the history that holds it.
class songCommand : public historyCommand
{
  public:
    songCommand(undoHistory *history, undoHistory::songRestore restore, songLink before,
                songLink after, QUndoCommand *parent);

  protected:
    void applyBack() override;
    void applyAgain() override;

  private:
    undoHistory::songRestore m_restore;
    songLink m_before;
    songLink m_after;
};

#endif
