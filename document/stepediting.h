#ifndef STEPEDITING_H
#define STEPEDITING_H

#include <QtGlobal>

class dimList;

// The row operations the window calls on the step table: insert, remove, move, set-all, the
// arrow-key walk and the play-range setters. They hold no state of their own; each keeps the
// current row and the play range of the table it edits in step with its rows.
// GUI thread only, on the table it edits.
class stepEditing
{
  public:
    explicit stepEditing(dimList *list);
    stepEditing(const stepEditing &) = delete;
    stepEditing &operator=(const stepEditing &) = delete;

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

    dimList *const m_list;
};

#endif
