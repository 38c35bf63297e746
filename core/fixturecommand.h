#ifndef FIXTURECOMMAND_H
#define FIXTURECOMMAND_H

#include "dimlist.h"
#include "fixturelist.h"
#include "historycommand.h"

// A fixture added to or removed from the end of the table's fixture list; the step adds or
// removes it again there, and the columns and the patch follow.
class fixtureCommand : public historyCommand
{
  public:
    fixtureCommand(undoHistory *history, int type, bool added, QUndoCommand *parent)
        : historyCommand(history, parent), m_type(type), m_added(added)
    {
    }

  protected:
    void applyBack() override { apply(!m_added); }
    void applyAgain() override { apply(m_added); }

  private:
    void apply(bool add)
    {
        fixtureList *fixtures = m_history->model()->fixtures();
        if (add)
            fixtures->append(m_type);
        else
            fixtures->dropLast();
    }

    int m_type;
    bool m_added;
};

#endif
