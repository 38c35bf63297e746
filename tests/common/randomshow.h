#ifndef RANDOMSHOW_H
#define RANDOMSHOW_H

#include "showtimeline.h"

#include <QtGlobal>

#include <random>

// A show of rows of every kind playback treats apart: long and short fades, holds, rows with
// neither (which move by the steps left from before), snapping channels, levels close to each
// other and far apart; its range, stride, repeat count and speed master picked too. The same
// seed gives the same show.
inline showTimeline::setup randomShow(quint32 seed)
{
    std::mt19937 random(seed);
    auto pick = [&random](int below) { return int(random() % quint32(below)); };
    showTimeline::setup show;
    const int rows = 1 + pick(9);
    for (int r = 0; r < rows; ++r) {
        const bool still = pick(4) == 0;
        const quint16 hold = quint16(still ? 0 : pick(4));
        const quint16 fade = quint16(still ? 0 : pick(14));
        uchar levels[512];
        const int base = pick(256);
        for (uchar &level : levels)
            level = uchar(pick(3) == 0 ? pick(256) : qBound(0, base + pick(7) - 3, 255));
        show.rows.append(hold, fade, levels, 512);
    }
    for (bool &snap : show.snap)
        snap = pick(16) == 0;
    show.playStart = pick(rows);
    show.playEnd = pick(rows);
    show.between = uint(pick(4));
    show.repeat = pick(3) == 0 ? uint(1 + pick(3)) : 0;
    const double speeds[] = {1.0, 1.0, 0.5, 2.0, 1.7};
    show.speed = speeds[pick(5)];
    return show;
}

#endif
