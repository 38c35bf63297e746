#include "showroot.h"

#include "dimlist.h"
#include "dmx.h"
#include "fileworkflow.h"
#include "recoverycopy.h"
#include "remotecontrol.h"
#include "showrecovery.h"
#include "songtransport.h"
#include "synccontrol.h"
#include "valueentry.h"

// Remote control listens once main starts it; tempo and timecode hear the MIDI input through
// its ports; a tap also times the step under way while the song plays.
showRoot::showRoot(dimList *model)
    : QObject(model), m_model(model), m_remote(new remoteControl(model, model)),
      m_sync(new syncControl(model, m_remote, model)), m_files(new fileWorkflow(model, model)),
      m_recovery(new showRecovery(model, m_files, recoveryCopy::defaultFolder(), model)),
      m_values(new valueEntry(model, model->output(), model)),
      m_songPlayer(new songTransport(model, model))
{
    connect(m_sync, &syncControl::tapped, m_songPlayer, &songTransport::tap);
}

dmx *showRoot::output() const
{
    return m_model->output();
}
