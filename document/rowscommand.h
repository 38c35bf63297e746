#ifndef ROWSCOMMAND_H
#define ROWSCOMMAND_H

#include "historycommand.h"

#include "steptable.h"

// Rows that came into the table (insert, paste, loaded file) or left it (delete). The rows
// are held here only while they are out of the table, so an insert costs no copy.
// GUI thread only, like the history that holds it.
class rowsCommand : public historyCommand
{
  public:
    rowsCommand(undoHistory *history, int position, int count, QUndoCommand *parent);
    rowsCommand(undoHistory *history, int position, const stepTable &removed, QUndoCommand *parent);

  protected:
    void applyBack() override;
    void applyAgain() override;

  private:
    void takeOut();
    void putBack();

    int m_position;
    int m_count;
    bool m_inserted;
    stepTable m_held;
};

#endif
