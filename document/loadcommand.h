#ifndef LOADCOMMAND_H
#define LOADCOMMAND_H

#include "historycommand.h"

#include <QByteArray>

// What a loaded or imported file changed besides its rows: the channels' snap flags and
// the channel count the table holds data for.
// GUI thread only, like the history that holds it.
class loadCommand : public historyCommand
{
  public:
    loadCommand(undoHistory *history, QByteArray flagsBefore, int channelsBefore,
                QUndoCommand *parent);

  protected:
    void applyBack() override { apply(m_flagsBefore, m_channelsBefore); }
    void applyAgain() override { apply(m_flagsAfter, m_channelsAfter); }

  private:
    void apply(const QByteArray &flags, int channels);

    QByteArray m_flagsBefore;
    QByteArray m_flagsAfter;
    int m_channelsBefore;
    int m_channelsAfter;
};

#endif
