#ifndef STEPEDITING_H
#define STEPEDITING_H

#include "playshow.h"
#include "steptable.h"

#include <QtGlobal>

class editWindow;

// The row operations the window calls on the step table: insert, remove, move, set-all, the
// arrow-key walk and the play-range setters. They hold no state of their own; each keeps the
// current row and the play range of the show it edits in step with its rows, records itself
// for undo and tells the window once, at its end.
// GUI thread only, on the show it edits.
class stepEditing
{
  public:
    explicit stepEditing(editWindow &window);

    // The rows' own changes, as the table model offers them: `count` new rows at `row` with
    // the faders' levels and the speed and fade of the row before; the part of a block that
    // lies in the table taken out; a block moved before `destinationChild` (counted before
    // the move). False when refused.
    bool insertRows(int row, int count);
    bool removeRows(int row, int count);
    bool moveRows(int sourceRow, int count, int destinationChild);

    stepEditing(const stepEditing &) = delete;
    stepEditing &operator=(const stepEditing &) = delete;

    // A typed value, a fader move or a picked named value into one cell of `row`: the row
    // becomes the edit row and, on a linked channel, the linked channels before it take the
    // value too; one undo step for the row. Nothing while playing or past the table; a column
    // past the last is the last.
    void writeCell(ushort value, ushort column, ushort row);

    void setPlayerEndRow(ushort row);
    void setDmxDataBetween(uint index);
    void insertEndRows();
    void insertCurrRows();
    void removeEndRows();
    void removeCurrRows();
    void removeSelectRows();
    void removeAll();
    void moveUpRows();
    void moveDownRows();
    void setAllDmxSpeedCross(ushort speed, ushort fade);
    void dmx_up_down_select_row(bool up_down);
    // "全选": the whole table as the range, the edit row on its first row; the next call puts
    // the range before it back.
    void selectWholeTable();

  private:
    // The current row and the play range as the window holds them.
    struct rowPositions {
        int current;
        int start;
        int end;
    };
    rowPositions positions() const;
    void announcePositions();
    void dropEndPastTable();
    // The edit row on a row that exists (or -1), both range ends inside the table.
    void keepPositionsInTable();
    void rowsChanged();
    void recordRowEdit(int row, const StepRow &before);

    editWindow &m_window;
};

#endif
