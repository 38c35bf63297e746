#ifndef HISTORYWINDOW_H
#define HISTORYWINDOW_H

#include "showdocument.h"

#include <QByteArray>
#include <QVariant>

class editWindow;

// What the undo history needs of the window around the show it writes back into: the show's
// owner, and the views' side of a step applied again. Implemented on the GUI thread, and
// called by the history only there.
class historyWindow
{
  public:
    virtual showDocument &document() = 0;
    // Undo and redo are refused while playback runs.
    virtual bool playing() const = 0;
    // A step is about to be applied back or again: a fill in preview goes (a step applied
    // under it would be lost with it), and the views wait for endReplay().
    virtual void beginReplay() = 0;
    // It was applied: the positions stay inside the table and the views re-read it.
    virtual void replayApplied() = 0;
    virtual void endReplay() = 0;
    // A cell was written back: the faders follow the current row's.
    virtual void cellWritten(int row, int column, int value) = 0;
    // The views re-read these cells.
    virtual void cellsWritten(const showDocument::cellArea &area) = 0;
    // The snap flags set back into the show; only the channels whose flag changes are
    // announced.
    virtual void setSnapFlags(const QByteArray &flags) = 0;
    // A fixture of `kind` (type number or definition) added again at the end of the list, or
    // the last one taken away.
    virtual void restoreFixture(const QVariant &kind, bool add) = 0;
    // The same window as the operations on the show see it, for those that find it through
    // the history they record into (the song); none when it edits nothing else.
    virtual editWindow *editing() { return nullptr; }

  protected:
    ~historyWindow() = default;
};

#endif
