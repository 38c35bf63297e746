#ifndef CELLSCOMMAND_H
#define CELLSCOMMAND_H

#include "historycommand.h"

// Cell writes: fader moves, typed cells, the value shortcuts, the common speed and fade.
// GUI thread only, like the history that holds it.
class cellsCommand : public historyCommand
{
  public:
    static constexpr int kId = 1;
    // Writes into the same cells closer together than this are one fader drag.
    static constexpr qint64 kDragGapMs = 800;

    cellsCommand(undoHistory *history, QVector<cellChange> changes, QUndoCommand *parent);
    int id() const override { return kId; }
    bool mergeWith(const QUndoCommand *other) override;
    // Adds more changes of the same step, keeping the first old value seen of each cell.
    void absorb(const QVector<cellChange> &changes);

  protected:
    void applyBack() override { write(false); }
    void applyAgain() override { write(true); }

  private:
    void write(bool after);
    bool sameCells(const cellsCommand &other) const;

    QVector<cellChange> m_changes;
    qint64 m_lastWrite;
};

#endif
