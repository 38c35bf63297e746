#ifndef FIXTURECOMMAND_H
#define FIXTURECOMMAND_H

#include "historycommand.h"

// A fixture's columns added to or removed from the table view, which owns them; the step
// asks the view to add or remove them again.
class fixtureCommand : public historyCommand
{
  public:
    fixtureCommand(undoHistory *history, int type, bool added, QUndoCommand *parent)
        : historyCommand(history, parent), m_type(type), m_added(added)
    {
    }

  protected:
    void applyBack() override { emit m_history->fixtureRequested(m_type, !m_added); }
    void applyAgain() override { emit m_history->fixtureRequested(m_type, m_added); }

  private:
    int m_type;
    bool m_added;
};

#endif
