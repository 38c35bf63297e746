#ifndef HISTORYCOMMAND_H
#define HISTORYCOMMAND_H

#include "undohistory.h"

#include <QUndoCommand>

// Base of the undo steps. Each is made after its change happened, so its first redo(),
// which QUndoStack calls on push, does nothing.
// GUI thread only, like the history that holds it.
class historyCommand : public QUndoCommand
{
  public:
    historyCommand(undoHistory *history, QUndoCommand *parent);
    void undo() override;
    void redo() override;

  protected:
    virtual void applyBack() = 0;
    virtual void applyAgain() = 0;
    undoHistory *m_history;

  private:
    void apply(bool back);
    bool m_pending = true;
};

#endif
