#ifndef WINDOWANNOUNCER_H
#define WINDOWANNOUNCER_H

#include <QObject>

class dmx;
class showDocument;

// What the window was last told of the show's positions and of playback, and the telling:
// once an operation (changeSet) or a batch has ended, only what changed since. Before it
// tells, a stopped show's edit row is clamped into the table and, when an operation asked or
// playback stopped, its levels go onto the faders.
// GUI thread only.
class windowAnnouncer : public QObject
{
    Q_OBJECT

  public:
    // Both outlive the announcer.
    windowAnnouncer(showDocument &show, dmx &output, QObject *parent = nullptr);

    // Tells the window what the last change did, now or once the operation under way has
    // ended; when asked, the faders show the edit row.
    void settle(bool showEditRow);
    // Playback loaded a row: told even when it is the row the window already shows.
    void rowLoaded();
    // Everything inside a batch is told once, at its end.
    void beginBatch() { ++m_batch; }
    void endBatch();

    // The rows of the table the range covers (-1 and -1 for none), and "全选" in force, as
    // told last.
    int rangeFirst() const;
    int rangeLast() const;
    bool wholeTable() const { return m_shown.whole; }

  signals:
    void currentRowChanged(int row);
    void playRangeChanged(int start, int end);
    void playingChanged();
    void outputEnabledChanged();
    void wholeTableChanged();

  private:
    struct shownState {
        int current = -1;
        int start = 0;
        int end = -1;
        int first = -1;
        int last = -1;
        bool playing = false;
        bool output = false;
        bool whole = false;
    };

    shownState currentState() const;
    void announce(const shownState &now);

    showDocument &m_show;
    dmx &m_output;
    shownState m_shown;
    bool m_settlePending = false;
    bool m_loadPending = false;
    int m_batch = 0;
    bool m_batchPending = false;
    bool m_rowTold = false;
};

#endif
