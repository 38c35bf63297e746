#include "loadcommand.h"

loadCommand::loadCommand(undoHistory *history, QByteArray flagsBefore, int channelsBefore,
                         QUndoCommand *parent)
    : historyCommand(history, parent), m_flagsBefore(std::move(flagsBefore)),
      m_flagsAfter(history->snapFlags()), m_channelsBefore(channelsBefore),
      m_channelsAfter(history->fileChannels())
{
}

void loadCommand::apply(const QByteArray &flags, int channels)
{
    m_history->setSnapFlags(flags);
    m_history->setFileChannels(channels);
}
