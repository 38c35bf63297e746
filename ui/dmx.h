#ifndef DMX_H
#define DMX_H

#include "playstate.h"

#include <QList>
#include <QObject>

class dim;
class showDocument;
class stepTable;
class light_list;
class playEngine;

// The output side: channel objects, fixture patch, the frame and its hand-over to the interface.
// GUI thread only; the output thread packs and sends playback's own frame.
class dmx : public QObject
{
    Q_OBJECT

  public:
    // The channel objects show the snap flags `show` holds; it outlives them.
    explicit dmx(showDocument &show, QObject *parent = nullptr);
    ~dmx() override;

    // The 512 channel objects, channel k + 1 at k, as the fader strip lists them.
    const QList<QObject *> &channels() const { return m_dims; }
    dim *channel(int index) const;
    // The fixture patch, for as long as this object lives.
    light_list *patch() const { return m_lightList; }
    // A level set while not playing goes out in a frame of its own at once.
    bool sendsLive() const { return m_sendLive; }
    void setSendLive(bool live) { m_sendLive = live; }
    // Frames reach the interface only while on; playback hears of it.
    bool outputEnabled() const { return m_outputEnable; }
    void setOutputEnabled(bool on);
    // Set by the model; frames leave through its output thread.
    void setEngine(playEngine *engine) { m_engine = engine; }

    void setDmxValue(uchar value, ushort channel);
    // All 512 levels at once; one frame when they changed anything and frames go out live.
    void setLevels(const uchar *levels);
    // The faders take the levels of `row` of `steps`.
    void showRow(const stepTable &steps, int row);
    Q_INVOKABLE void setAllDmxValue(uchar value);
    Q_INVOKABLE void setDefaultDmxValue();
    // The interface library's dmxbox_state of device 0; cheap and never waits, so the
    // window can poll it.
    Q_INVOKABLE int outputState() const;

  public slots:
    void sendDmx();

  private:
    bool setLevel(int index, uchar value);

    QList<QObject *> m_dims;
    light_list *m_lightList;
    bool m_sendLive = false;
    bool m_outputEnable = false;
    playEngine *m_engine = nullptr;
};

#endif
