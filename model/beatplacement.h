#ifndef BEATPLACEMENT_H
#define BEATPLACEMENT_H

#include "steptable.h"

#include <QByteArray>
#include <QVector>

// Holds that put steps on the beats of a song. The table is taken as a time line from its
// first row on, each step lasting as the show timeline times it: the tick that loads it,
// the ticks until its slowest channel has arrived, then its hold. Pure functions.
namespace beatPlacement
{
constexpr qint64 kTickMs = 30;
// The table keeps holds in tenths of a second.
constexpr qint64 kHoldUnitMs = 100;

// One step as placement sees it: the time from its load until its hold begins, the least
// hold it may have, and its hold as it stands.
struct step {
    qint64 fadeMs = 0;
    qint64 leastHoldMs = 0;
    qint64 holdMs = 0;
};

// The holds, in ms, that start every step after the first on a beat: the first step starts at
// firstStartMs, on the beat nearest to it, and each next one `stride` beats after the one
// before, or as many strides later as its predecessor needs to reach. The last step's hold
// puts the step after it on a beat too. Holds are whole tenths, each rounded to the nearest
// from where the step really starts, so no error gathers, and stay within the table's limits.
// Steps whose beat lies past the last one keep their holds.
QVector<qint64> holds(const QVector<step> &steps, double firstStartMs, const QVector<double> &beats,
                      int stride);

// Row `row` of the table as placement sees it, loaded over the levels of row `before`
// (its channels have arrived), with the snap flags `snap` (one byte per channel).
step stepOf(const stepTable &rows, int row, int before, const QByteArray &snap);
} // namespace beatPlacement

#endif
