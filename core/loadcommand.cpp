#include "loadcommand.h"

#include "dim.h"
#include "dimlist.h"
#include "dmx.h"

loadCommand::loadCommand(undoHistory *history, QByteArray flagsBefore, int channelsBefore,
                         QUndoCommand *parent)
    : historyCommand(history, parent), m_flagsBefore(std::move(flagsBefore)),
      m_flagsAfter(history->snapFlags()), m_channelsBefore(channelsBefore),
      m_channelsAfter(history->fileChannels())
{
}

void loadCommand::apply(const QByteArray &flags, int channels)
{
    const QList<QObject *> &dims = m_history->model()->m_dmx->m_dims;
    for (int i = 0; i < flags.size() && i < dims.size(); ++i) {
        auto *channel = static_cast<dim *>(dims.at(i));
        if ((channel->dimEn() != 0) == (flags.at(i) != 0))
            continue;
        channel->setDimEn(flags.at(i) != 0);
        emit channel->dimEnChanged();
    }
    m_history->setFileChannels(channels);
}
