#ifndef MOVECOMMAND_H
#define MOVECOMMAND_H

#include "historycommand.h"

// A block of rows moved to another place ("上移行", "下移行").
// GUI thread only, like the history that holds it.
class moveCommand : public historyCommand
{
  public:
    moveCommand(undoHistory *history, int from, int count, int to, QUndoCommand *parent);

  protected:
    void applyBack() override { move(m_to, m_from); }
    void applyAgain() override { move(m_from, m_to); }

  private:
    void move(int from, int to);

    int m_from;
    int m_count;
    int m_to;
};

#endif
