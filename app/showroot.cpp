#include "showroot.h"

#include "dimlist.h"
#include "dmx.h"
#include "dmxfile.h"
#include "fileworkflow.h"
#include "recoverycopy.h"
#include "remotecontrol.h"
#include "showrecovery.h"
#include "songstate.h"
#include "songtransport.h"
#include "synccontrol.h"
#include "valueentry.h"

#include <QUrl>

// Remote control listens once main starts it; tempo and timecode hear the MIDI input through
// its ports; a tap also times the step under way while the song plays.
showRoot::showRoot(dimList *model)
    : QObject(model), m_model(model), m_remote(new remoteControl(model, model)),
      m_sync(new syncControl(model, m_remote, model)), m_files(new fileWorkflow(model, model)),
      m_recovery(new showRecovery(model, m_files, recoveryCopy::defaultFolder(), model)),
      m_values(new valueEntry(model, model->output(), model)),
      m_song(new songState(model->changeHistory(), model)),
      m_songPlayer(new songTransport(model, model))
{
    // Saves, loads and recovery copies carry the song; its path follows the show's folder.
    m_files->files()->setSong(m_song);
    connect(m_files, &fileWorkflow::currentFileChanged, m_song, [this] {
        const QUrl url(m_files->currentFile());
        m_song->setShowFile(url.isLocalFile() ? url.toLocalFile() : m_files->currentFile());
    });
    // The transport plays the show's song, and taps end its steps while it plays.
    m_songPlayer->followSong(m_song);
    connect(m_sync, &syncControl::tapped, m_songPlayer, &songTransport::tap);
}

dmx *showRoot::output() const
{
    return m_model->output();
}
