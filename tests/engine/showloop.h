#ifndef SHOWLOOP_H
#define SHOWLOOP_H

#include "coretestsupport.h"
#include "framehash.h"

#include <QByteArray>

// Shows whose frames over one whole loop are pinned by a hash of the frames the program
// sent before playback had a thread of its own.
enum class showKind { fadesAndHolds, backwardsStrideSnaps, fixtureOffRepeat };

inline void buildShow(showKind kind)
{
    dimList *m = coreModel();
    const quint16 speeds[] = {0, 1, 0, 2, 0, 0};
    const quint16 fades[] = {2, 0, 3, 1, 10, 0};
    for (int r = 0; r < 6; ++r) {
        tableRow row = appendRow(speeds[r], fades[r], 0);
        for (int ch = 0; ch < 512; ++ch)
            row[ch + 3] = static_cast<quint16>((ch * 7 + r * 53) % 256);
    }
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(5);
    if (kind == showKind::backwardsStrideSnaps) {
        m->dmxRowToDim(5);
        m->setPlayerEndRow(1);
        m->setDmxDataBetween(2);
        channel(3)->setDimEn(true);
        channel(100)->setDimEn(true);
    } else if (kind == showKind::fixtureOffRepeat) {
        fixture(1)->setSelectUnannounced(false);
        m->setRepeat(2);
    }
}

#endif
