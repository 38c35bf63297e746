#ifndef DIM_H
#define DIM_H

#include "playstate.h"
#include "showdocument.h"

#include <QObject>

// One DMX channel as the fader strip sees it: its level, snap flag and link flag.
// GUI thread only, as are the levels it shows (g_dimValue, playback's as last told).
class dim : public QObject
{
    Q_OBJECT
    Q_PROPERTY(ushort dimNum READ dimNum NOTIFY dimNumChanged)
    Q_PROPERTY(uchar dimValue READ dimValue WRITE setDimValue NOTIFY dimValueChanged)
    Q_PROPERTY(uchar dimEn READ dimEn WRITE setDimEn NOTIFY dimEnChanged)
    Q_PROPERTY(uchar dimLinkage READ dimLinkage WRITE setDimLinkage NOTIFY dimLinkageChanged)
    Q_PROPERTY(bool run_flag WRITE setRunFlag)

  public:
    // Its snap flag is the one `show` holds for it.
    dim(ushort num, showDocument &show, QObject *parent = nullptr);

    // Its place among the 512: the index of its level in g_dimValue.
    ushort channelIndex() const { return m_num; }
    ushort dimNum() const { return m_num + 1; }
    uchar dimValue() const;
    uchar dimEn() const { return m_show.snaps(m_num) ? 1 : 0; }
    uchar dimLinkage() const { return m_linkage; }

    void setDimValue(uchar value, bool toTable = true, bool refresh = true);
    void setDimEn(bool en) { m_show.setSnaps(m_num, en); }
    void setDimLinkage(bool linkage) { m_linkage = linkage ? 1 : 0; }
    void setRunFlag(bool flag) { m_runFlag = flag; }
    // Set while playback drives the level, which then stays out of the table.
    bool runFlag() const { return m_runFlag; }

  signals:
    void dimValueChanged();
    void dimNumChanged();
    void dimEnChanged();
    void dimLinkageChanged();

  private:
    ushort m_num;
    showDocument &m_show;
    uchar m_linkage = 0;
    bool m_runFlag = false;
};

#endif
