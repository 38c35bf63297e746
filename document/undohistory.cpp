#include "undohistory.h"

#include "cellscommand.h"
#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "effectfill.h"
#include "fixturecommand.h"
#include "loadcommand.h"
#include "movecommand.h"
#include "playengine.h"
#include "rowscommand.h"
#include "songcommand.h"

#include <chrono>

undoHistory::undoHistory(dimList *model, QObject *parent)
    : QObject(parent), m_model(model), m_now([] {
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
// A fill still in preview was made over the table as it was; a step applied under it would
// be lost when the preview went, so the preview goes first.
void undoHistory::dropPreview()
{
    m_model->effects()->cancel();
}

bool undoHistory::undo()
{
    if (g_playEnable || !m_stack.canUndo() || m_group)
        return false;
    const dimList::batch once(m_model);
    dropPreview();
    m_stack.undo();
    afterApply();
    return true;
}

bool undoHistory::redo()
{
    if (g_playEnable || !m_stack.canRedo() || m_group)
        return false;
    const dimList::batch once(m_model);
    dropPreview();
    m_stack.redo();
    afterApply();
    return true;
}

// Rows came or went: the positions stay inside the table and the views re-read it.
void undoHistory::afterApply()
{
    m_model->keepPositionsInTable();
    m_model->refrushIndex();
    emit applied();
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
    const QList<QObject *> &dims = m_model->output()->channels();
    QByteArray flags(dims.size(), '\0');
    for (int i = 0; i < dims.size(); ++i)
        flags[i] = static_cast<dim *>(dims.at(i))->dimEn() ? 1 : 0;
    return flags;
}

void undoHistory::setSnapFlags(const QByteArray &flags)
{
    const QList<QObject *> &dims = m_model->output()->channels();
    for (int i = 0; i < flags.size() && i < dims.size(); ++i) {
        auto *channel = static_cast<dim *>(dims.at(i));
        if ((channel->dimEn() != 0) == (flags.at(i) != 0))
            continue;
        channel->setDimEn(flags.at(i) != 0);
        emit channel->dimEnChanged();
    }
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

void undoHistory::recordSong(songState *song, const songLink &before, const songLink &after)
{
    if (!m_replaying && before != after)
        push(new songCommand(this, song, before, after, m_group));
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
