#ifndef SHOWROOT_H
#define SHOWROOT_H

#include <QObject>

class dimList;
class dmx;
class fileWorkflow;
class remoteControl;
class showRecovery;
class songState;
class songTransport;
class syncControl;
class valueEntry;

// Everything the window works with, as one typed object ("app" in QML): the show's model
// and output, the file workflow, recovery, the number fields' rule, remote control, sync,
// the song the show is set to and the song's transport. The older context names ("dmx_list",
// "file_flow", ...) name the same objects. GUI thread only; made for each core the window is
// given, and owned by it.
class showRoot : public QObject
{
    Q_OBJECT
    Q_PROPERTY(dimList *model READ model CONSTANT)
    Q_PROPERTY(dmx *output READ output CONSTANT)
    Q_PROPERTY(fileWorkflow *files READ files CONSTANT)
    Q_PROPERTY(showRecovery *recovery READ recovery CONSTANT)
    Q_PROPERTY(valueEntry *values READ values CONSTANT)
    Q_PROPERTY(remoteControl *remote READ remote CONSTANT)
    Q_PROPERTY(syncControl *sync READ sync CONSTANT)
    Q_PROPERTY(songState *song READ song CONSTANT)
    Q_PROPERTY(songTransport *songPlayer READ songPlayer CONSTANT)

  public:
    // Builds the objects around `model` (the core that owns them all).
    explicit showRoot(dimList *model);

    dimList *model() const { return m_model; }
    dmx *output() const;
    fileWorkflow *files() const { return m_files; }
    showRecovery *recovery() const { return m_recovery; }
    valueEntry *values() const { return m_values; }
    remoteControl *remote() const { return m_remote; }
    syncControl *sync() const { return m_sync; }
    songState *song() const { return m_song; }
    songTransport *songPlayer() const { return m_songPlayer; }

  private:
    dimList *m_model;
    remoteControl *m_remote;
    syncControl *m_sync;
    fileWorkflow *m_files;
    showRecovery *m_recovery;
    valueEntry *m_values;
    songState *m_song;
    songTransport *m_songPlayer;
};

#endif
