#ifndef FIXTURECOMMAND_H
#define FIXTURECOMMAND_H

#include "historycommand.h"
#include "historywindow.h"

// A fixture added to or removed from the end of the table's fixture list; the step adds or
// removes it again there, and the columns and the patch follow. The kind is a built-in type
// number or a definition. Adding a fixture from a definition also set its channels' snap
// flags: the step keeps the flags of all channels before and after.
// GUI thread only, like the history that holds it.
class fixtureCommand : public historyCommand
{
  public:
    fixtureCommand(undoHistory *history, QVariant kind, bool added, QByteArray flagsBefore,
                   QByteArray flagsAfter, QUndoCommand *parent)
        : historyCommand(history, parent), m_kind(std::move(kind)), m_added(added),
          m_flagsBefore(std::move(flagsBefore)), m_flagsAfter(std::move(flagsAfter))
    {
    }

  protected:
    void applyBack() override { apply(!m_added); }
    void applyAgain() override { apply(m_added); }

  private:
    void apply(bool add)
    {
        m_history->window()->restoreFixture(m_kind, add);
        m_history->setSnapFlags(add == m_added ? m_flagsAfter : m_flagsBefore);
    }

    QVariant m_kind;
    bool m_added;
    QByteArray m_flagsBefore;
    QByteArray m_flagsAfter;
};

#endif
