#ifndef UNDOHISTORY_H
#define UNDOHISTORY_H

#include "songanalysis.h"
#include "steptable.h"

#include <QObject>
#include <QUndoStack>
#include <QVariant>
#include <QVector>

#include <functional>

class historyWindow;
class QUndoCommand;

// One cell of the table before and after an edit.
struct cellChange {
    int row;
    quint16 column;
    quint16 before;
    quint16 after;
};

// Undo and redo of the changes to the step table. The model reports each change after it
// made it, with only what changed: the cells with their old and new values, the rows it
// inserted, the rows it removed (which the history keeps while they are out of the table),
// or a move. Undo and redo apply the change back on the GUI thread and are refused while
// playback runs, so the engine never sees the table change under a running show.
// GUI thread only.
class undoHistory : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool clean READ isClean NOTIFY cleanChanged)
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY changed)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY changed)
    // The largest channel count of the files appended into the table; a save keeps them.
    Q_PROPERTY(int fileChannels READ fileChannels NOTIFY fileChannelsChanged)

  public:
    // Steps kept; the oldest go first. Each holds only what its change touched.
    static constexpr int kStepLimit = 200;

    explicit undoHistory(historyWindow *window, QObject *parent = nullptr);

    // Milliseconds on a steady clock, by which writes to the same cells close together merge
    // into one step; tests hand in their own clock.
    qint64 now() const { return m_now(); }
    void setClock(std::function<qint64()> now) { m_now = std::move(now); }

    Q_INVOKABLE bool undo();
    Q_INVOKABLE bool redo();
    Q_INVOKABLE void setClean();
    // No state of the history is what the file holds: a recovered show is still unsaved.
    void markUnsaved();
    Q_INVOKABLE void clear();
    // Everything recorded between the two calls is one step (the value shortcuts write 512
    // cells, a paste inserts many rows).
    Q_INVOKABLE void beginStep();
    Q_INVOKABLE void endStep();
    // A fixture (type number or definition) added to or removed from the end of the table's
    // fixture list, with the snap flags before and after when it changed them.
    void recordFixture(const QVariant &kind, bool added, const QByteArray &flagsBefore = {},
                       const QByteArray &flagsAfter = {});
    // The show's song went from `before` to `after`, each with its song's absolute path;
    // `restore` sets a link back.
    using songRestore = std::function<void(const songLink &)>;
    void recordSong(songRestore restore, const songLink &before, const songLink &after);
    Q_INVOKABLE int count() const { return m_stack.count(); }

    bool isClean() const { return m_stack.isClean(); }
    bool canUndo() const { return m_stack.canUndo(); }
    bool canRedo() const { return m_stack.canRedo(); }
    bool replaying() const { return m_replaying; }
    int fileChannels() const { return m_fileChannels; }
    void setFileChannels(int channels);
    // The snap flags of the 512 channels, one byte each.
    QByteArray snapFlags() const;
    // Sets them back; only channels whose flag changes are announced.
    void setSnapFlags(const QByteArray &flags);

    void cellsChanged(QVector<cellChange> changes);
    void rowsInserted(int position, int count);
    // Takes the removed rows; they are deleted when the step leaves the history.
    void rowsRemoved(int position, const stepTable &rows);
    void rowsMoved(int from, int count, int to);
    // A file was read into the table with `channels` channels; the flags are as it left them.
    void fileLoaded(const QByteArray &flagsBefore, int channels);

    // Used by the steps while they apply themselves.
    historyWindow *window() const { return m_window; }
    void setReplaying(bool on) { m_replaying = on; }

  signals:
    void cleanChanged();
    void changed();
    // Undo or redo changed the table; the views re-read it.
    void applied();
    void fileChannelsChanged();

  private:
    void push(QUndoCommand *command);
    void replay(const std::function<void()> &apply);

    historyWindow *m_window;
    std::function<qint64()> m_now;
    QUndoStack m_stack;
    QUndoCommand *m_group = nullptr;
    int m_groupDepth = 0;
    bool m_replaying = false;
    int m_fileChannels = 0;
};

#endif
