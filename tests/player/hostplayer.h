/* One show for the host player: an export's arrays, the fixtures switched off for it and
 * how many ticks to play. */
#ifndef HOSTPLAYER_H
#define HOSTPLAYER_H

#include "dmx.h"

struct hostShow {
    const runDmxData *records;
    const unsigned short *size;
    const unsigned char *enChange;
    unsigned fixturesOff;
    unsigned ticks;
};

#endif
