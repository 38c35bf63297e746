#ifndef PLAYSHOW_H
#define PLAYSHOW_H

#include "steptable.h"

// What the output thread plays: the rows, the ends of the play range as picked (either may
// lie outside the table) and the rows playback advances by, as the document last published
// them. Never changed once published, so any thread may read it; a new one replaces it.
struct playShow {
    stepTable rows;
    int playStart = 0;
    int playEnd = -1;
    uint between = 1;
};

#endif
