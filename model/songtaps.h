#ifndef SONGTAPS_H
#define SONGTAPS_H

#include "showtimeline.h"

#include <QMap>
#include <QVector>

// Steps timed by tapping along with the song: a tap ends the step under way at that moment,
// its hold becoming the time from the step's start to the tap less its fade as the timeline
// counts it, and the next step starts. Times are the timeline's (what locate() takes). Any
// thread: pure functions of their arguments.
namespace songTaps
{
// The step under way at `ms` as the timeline lays it out: where it starts and how long its
// fade lasts there (the ticks until every channel arrived, the load's included).
struct tappedStep {
    bool valid = false; // false before the start and after the repeats ran out
    int row = -1;
    qint64 startMs = 0;
    qint64 fadeMs = 0;
};
tappedStep stepAt(const showTimeline &line, qint64 ms);

// The hold cell (tenths of a second as written, the speed master `speed` in force) that ends
// `step` at `tapMs`: none when the tap came before its fade was over.
quint16 holdCell(const tappedStep &step, qint64 tapMs, double speed);

// One tap: the row it ends and the hold it gives that row; row -1 for a tap that ends none.
struct holdChange {
    int row = -1;
    quint16 hold = 0;
};
holdChange tap(const showTimeline &line, qint64 tapMs, double speed);

// Taps in order over a whole playback of `show`, each laid onto the show the taps before
// it left: the holds the tapped rows end with.
QMap<int, quint16> holdsFor(showTimeline::setup show, const QVector<qint64> &tapsMs);
} // namespace songTaps

#endif
