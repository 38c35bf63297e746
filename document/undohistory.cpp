#include "undohistory.h"

#include "cellscommand.h"
#include "fixturecommand.h"
#include "historywindow.h"
#include "loadcommand.h"
#include "movecommand.h"
#include "rowscommand.h"
#include "songcommand.h"

#include <chrono>

undoHistory::undoHistory(historyWindow *window, QObject *parent)
    : QObject(parent), m_window(window), m_now([] {
          return std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
              .count();
      })
{
    m_stack.setUndoLimit(kStepLimit);
    connect(&m_stack, &QUndoStack::cleanChanged, this, &undoHistory::cleanChanged);
    connect(&m_stack, &QUndoStack::indexChanged, this, &undoHistory::changed);
}

// Undo during playback is refused rather than stopping the show: the user stops playback
// first, as for every other edit of a running table.
bool undoHistory::undo()
{
    if (m_window->playing() || !m_stack.canUndo() || m_group)
        return false;
    replay([this] { m_stack.undo(); });
    return true;
}

bool undoHistory::redo()
{
    if (m_window->playing() || !m_stack.canRedo() || m_group)
        return false;
    replay([this] { m_stack.redo(); });
    return true;
}

// The window hears of the step once, after the positions were kept inside the table.
void undoHistory::replay(const std::function<void()> &apply)
{
    m_window->beginReplay();
    apply();
    m_window->replayApplied();
    emit applied();
    m_window->endReplay();
}

void undoHistory::markUnsaved()
{
    m_stack.resetClean();
}

void undoHistory::setClean()
{
    m_stack.setClean();
}

void undoHistory::clear()
{
    delete m_group;
    m_group = nullptr;
    m_groupDepth = 0;
    m_stack.clear();
    setFileChannels(0);
}

void undoHistory::setFileChannels(int channels)
{
    if (channels == m_fileChannels)
        return;
    m_fileChannels = channels;
    emit fileChannelsChanged();
}

QByteArray undoHistory::snapFlags() const
{
    return m_window->document().snapFlags();
}

void undoHistory::setSnapFlags(const QByteArray &flags)
{
    m_window->setSnapFlags(flags);
}

void undoHistory::fileLoaded(const QByteArray &flagsBefore, int channels)
{
    const int before = m_fileChannels;
    setFileChannels(qMax(before, channels));
    if (!m_replaying)
        push(new loadCommand(this, flagsBefore, before, m_group));
}

void undoHistory::beginStep()
{
    if (m_groupDepth++ == 0)
        m_group = new QUndoCommand;
}

void undoHistory::endStep()
{
    if (m_groupDepth == 0 || --m_groupDepth > 0)
        return;
    QUndoCommand *group = m_group;
    m_group = nullptr;
    if (group->childCount() > 0)
        m_stack.push(group);
    else
        delete group;
}

void undoHistory::push(QUndoCommand *command)
{
    // Inside a step the command already hangs on the group.
    if (!m_group)
        m_stack.push(command);
}

void undoHistory::recordFixture(const QVariant &kind, bool added, const QByteArray &flagsBefore,
                                const QByteArray &flagsAfter)
{
    if (!m_replaying)
        push(new fixtureCommand(this, kind, added, flagsBefore, flagsAfter, m_group));
}

void undoHistory::recordSong(songRestore restore, const songLink &before, const songLink &after)
{
    if (!m_replaying && before != after)
        push(new songCommand(this, std::move(restore), before, after, m_group));
}

void undoHistory::cellsChanged(QVector<cellChange> changes)
{
    if (m_replaying || changes.isEmpty())
        return;
    if (m_group && m_group->childCount() > 0) {
        const QUndoCommand *last = m_group->child(m_group->childCount() - 1);
        if (last->id() == cellsCommand::kId) {
            const_cast<cellsCommand *>(static_cast<const cellsCommand *>(last))->absorb(changes);
            return;
        }
    }
    push(new cellsCommand(this, std::move(changes), m_group));
}

void undoHistory::rowsInserted(int position, int count)
{
    if (!m_replaying && count > 0)
        push(new rowsCommand(this, position, count, m_group));
}

void undoHistory::rowsRemoved(int position, const stepTable &rows)
{
    if (m_replaying || rows.isEmpty())
        return;
    push(new rowsCommand(this, position, rows, m_group));
}

void undoHistory::rowsMoved(int from, int count, int to)
{
    if (!m_replaying && from != to)
        push(new moveCommand(this, from, count, to, m_group));
}
