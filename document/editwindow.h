#ifndef EDITWINDOW_H
#define EDITWINDOW_H

#include "playshow.h"
#include "showdocument.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVector>

class undoHistory;

// The table's fixtures as the fills read them: the kind, channel count and column end of
// each, in table order, and the named values of a channel (1 = the first fixture's first).
// GUI thread only.
class fixtureLayout
{
  public:
    virtual QVariantList types() const = 0;
    virtual QVariantList channelCounts() const = 0;
    virtual QVariantList ends() const = 0;
    // The column after the last fixture's (3 without fixtures).
    virtual int columnEnd() const = 0;
    virtual QVariantList capabilities(int channel) const = 0;

  protected:
    ~fixtureLayout() = default;
};

// What the row operations, the fills and the beat placing need of the window around the show
// they edit: the show's owner and its history, the fixtures' columns, the faders, and the
// window's side of a change set. Implemented on the GUI thread, and called only there.
class editWindow
{
  public:
    virtual showDocument &document() = 0;
    virtual undoHistory *changeHistory() const = 0;
    virtual const fixtureLayout &fixtureColumns() const = 0;
    virtual bool playing() const = 0;

    // The faders' levels, one per channel, which a new row takes.
    virtual const uchar *faderLevels() const = 0;
    // Whether the fader of `channel` (0 = the first) moves with the other linked ones.
    virtual bool channelLinked(int channel) const = 0;
    // One cell written as the table model writes it: the fader of its channel follows, and
    // the views hear of the cell once the operation has ended.
    virtual void storeCell(int row, int column, int value) = 0;

    // Rows are about to go in, out or move, and have: the views' model says so around the
    // change. False when the model refuses, before anything changed.
    virtual bool beginRowsChange(const rowMove &move) = 0;
    virtual void endRowsChange(const rowMove &move) = 0;
    // The views re-read the whole table.
    virtual void rowsRewritten() = 0;
    // The window hears of the rows, the range and the edit row once the operation has ended;
    // when asked, the faders show the edit row.
    virtual void settle(bool showEditRow) = 0;
    // What the status bar says about the last action.
    virtual void setStatusMessage(const QString &text) = 0;

    // Snap flags read from a file into the show: all announced, changed or not.
    virtual void readSnapFlags(const QByteArray &flags) = 0;
    // Whether the patch sends each of the first `channels` channels.
    virtual QVector<bool> sentChannels(int channels) = 0;

    // The window hears of everything inside one of these once, at its end.
    virtual void beginBatch() = 0;
    virtual void endBatch() = 0;
    class batch
    {
      public:
        explicit batch(editWindow &window) : m_window(window) { m_window.beginBatch(); }
        ~batch() { m_window.endBatch(); }
        batch(const batch &) = delete;
        batch &operator=(const batch &) = delete;

      private:
        editWindow &m_window;
    };

  protected:
    ~editWindow() = default;
};

#endif
