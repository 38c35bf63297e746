#ifndef HISTORYSTEP_H
#define HISTORYSTEP_H

#include "undohistory.h"

// Everything recorded while it lives is one undo step, however the operation ends.
class historyStep
{
  public:
    explicit historyStep(undoHistory *history) : m_history(history) { m_history->beginStep(); }
    ~historyStep() { m_history->endStep(); }
    historyStep(const historyStep &) = delete;
    historyStep &operator=(const historyStep &) = delete;

  private:
    undoHistory *m_history;
};

#endif
