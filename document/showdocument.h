#ifndef SHOWDOCUMENT_H
#define SHOWDOCUMENT_H

#include "fixturedef.h"
#include "playshow.h"
#include "steptable.h"

#include <memory>
#include <vector>

// The show as its one owner keeps it: the step rows, the play range as picked (either end may
// lie outside the table), the rows playback advances by and the range "全选" put aside, with
// the rules that keep them together, each written once. It knows neither the window nor
// playback: what it publishes is an immutable playShow, which whoever plays it picks up.
// GUI thread only; a published show any thread may read.
class showDocument
{
  public:
    struct range {
        int start;
        int end;
    };

    // The cells a change set wrote in place, as rows and columns from first to last.
    struct cellArea {
        int firstRow = -1;
        int lastRow = -1;
        int firstColumn = -1;
        int lastColumn = -1;
        void add(int row, int column);
    };

    const stepTable &steps() const { return m_steps; }
    // The rows to write into; whoever writes tells the views. Marks them for the next publish.
    stepTable &stepsForWriting();
    bool validRow(int row) const { return row >= 0 && row < m_steps.size(); }
    // `row` (-1 for none) clamped into the table.
    int rowInside(int row) const { return qBound(-1, row, m_steps.size() - 1); }

    range playRange() const { return {m_playStart, m_playEnd}; }
    void setPlayRange(int start, int end);
    void setPlayEnd(int end) { m_playEnd = end; }
    uint between() const { return m_between; }
    void setBetween(uint rows) { m_between = rows; }
    // The part of the range inside the table, first to last row: what is shaded, played,
    // removed, copied and cut; -1, -1 when none.
    range coveredRows() const;

    // Row edits; each records how the rows moved, so that playback's row follows its step.
    void insertRows(int at, int count, quint16 speed, quint16 fade, const uchar *levels,
                    int channels);
    void insertRows(int at, const stepTable &rows);
    stepTable takeRows(int first, int count);
    void moveRows(int from, int count, int to);
    void rowsMoved(const rowMove &move);

    // The edit row: the row edits go into, marked red, its levels on the faders; while
    // playing, the row playing. -1 for none.
    int editRow() const;
    void setEditRow(int row);
    // The process's name for the edit row, which playback's news and older callers write too:
    // the document writes it, and takes a value found there that it did not write as set.
    void showEditRowIn(int *view);

    // The table's fixtures in table order: each one's built-in type number and, for one
    // from a definition file, the definition placed (empty for a built-in type). Whoever
    // adds or removes one tells the views; fixtures come and go only at the end.
    struct fixture {
        int type = 0;
        fixtureDef::definition placed;
    };
    const QVector<fixture> &fixtures() const { return m_fixtures; }
    void appendFixture(int type, const fixtureDef::definition &placed);
    void removeLastFixture() { m_fixtures.removeLast(); }

    // The channels that jump to their level instead of fading, one byte (0 or 1) for each of
    // the 512. Whoever writes them tells the views.
    const QByteArray &snapFlags() const { return m_snap; }
    bool snaps(int channel) const { return m_snap.at(channel) != 0; }
    void setSnaps(int channel, bool snap) { m_snap[channel] = snap ? 1 : 0; }

    // Positions stay inside the table: the range's ends are clamped onto its rows and the
    // edit row into it. An empty table keeps its range and has no edit row.
    void keepInside();

    // "全选": the whole table as the range, the range before it put aside; the next call puts
    // it back, clamped. True when the table has rows.
    bool toggleWholeTable();
    bool wholeTable() const { return m_whole; }

    // The show as it stands, for playback: a new one when anything changed since the last
    // (true), the last one otherwise. The rows are shared, so a publish costs a reference.
    bool publish();
    std::shared_ptr<const playShow> published() const { return m_published; }

  private:
    stepTable m_steps;
    QVector<fixture> m_fixtures;
    QByteArray m_snap = QByteArray(stepTable::kMaxChannels, '\0');
    mutable int m_editRow = -1;
    // What the document last wrote into the view, and the view.
    mutable int m_editRowShown = -1;
    int *m_editRowView = nullptr;
    int m_playStart = 0;
    int m_playEnd = -1;
    uint m_between = 1;
    bool m_whole = false;
    int m_savedStart = 0;
    int m_savedEnd = -1;
    // Written since the last publish, and how the rows moved meanwhile.
    bool m_rowsWritten = true;
    std::vector<rowMove> m_rowMoves;
    std::shared_ptr<const playShow> m_published;
};

#endif
