#ifndef ROWSCOMMAND_H
#define ROWSCOMMAND_H

#include "historycommand.h"

#include <QList>

// Rows that came into the table (insert, paste, loaded file) or left it (delete). The rows
// are owned here only while they are out of the table, so an insert costs no copy.
class rowsCommand : public historyCommand
{
  public:
    rowsCommand(undoHistory *history, int position, int count, QUndoCommand *parent);
    rowsCommand(undoHistory *history, int position, const QList<StepRow *> &removed,
                QUndoCommand *parent);
    ~rowsCommand() override;

  protected:
    void applyBack() override;
    void applyAgain() override;

  private:
    void takeOut();
    void putBack();

    int m_position;
    int m_count;
    bool m_inserted;
    QList<StepRow *> m_held;
};

#endif
