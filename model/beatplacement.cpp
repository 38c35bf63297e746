#include "beatplacement.h"

#include "faderamp.h"
#include "showlimits.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr qint64 kMaxHoldMs = showLimits::kMaxSpeed * beatPlacement::kHoldUnitMs;

// The index of the beat nearest to `ms`.
int nearestBeat(const QVector<double> &beats, double ms)
{
    const int after = int(std::lower_bound(beats.begin(), beats.end(), ms) - beats.begin());
    if (after == 0)
        return 0;
    if (after == beats.size() || ms - beats.at(after - 1) <= beats.at(after) - ms)
        return after - 1;
    return after;
}

qint64 roundedHold(double ms)
{
    return qint64(std::llround(ms / double(beatPlacement::kHoldUnitMs))) *
           beatPlacement::kHoldUnitMs;
}
} // namespace

QVector<qint64> beatPlacement::holds(const QVector<step> &steps, double firstStartMs,
                                     const QVector<double> &beats, int stride)
{
    QVector<qint64> out;
    out.reserve(steps.size());
    double start = firstStartMs;
    int beat = beats.isEmpty() ? 0 : nearestBeat(beats, firstStartMs);
    for (const step &s : steps) {
        const double earliest = double(s.fadeMs + s.leastHoldMs) + start;
        qint64 hold = s.holdMs;
        if (!beats.isEmpty() && stride > 0) {
            beat += stride;
            // A hold rounds to the nearest tenth: half of one short still reaches the beat.
            while (beat < beats.size() && beats.at(beat) < earliest - kHoldUnitMs / 2.0)
                beat += stride;
            if (beat < beats.size())
                hold = roundedHold(beats.at(beat) - start - double(s.fadeMs));
        }
        hold = qBound(s.leastHoldMs, hold, kMaxHoldMs);
        out.append(hold);
        start += double(s.fadeMs + hold);
    }
    return out;
}

// The engine's timing: a fade cell above 1 counts three ticks per unit, a step with a hold
// but no fade one tick, and the step lasts until its slowest channel that is not snapped
// has come within one of its level.
beatPlacement::step beatPlacement::stepOf(const stepTable &rows, int row, int before,
                                          const QByteArray &snap)
{
    step out;
    out.holdMs = qint64(rows.speed(row)) * kHoldUnitMs;
    const int fade = scaledCell(rows.fade(row));
    // With neither hold nor fade a step takes a single tick, which no hold can follow.
    out.leastHoldMs = fade == 0 ? kHoldUnitMs : 0;
    const int ticks = fade > 0 ? fade : 1;
    qint64 arrival = 0;
    for (int ch = 0; ch < rows.channels(); ++ch) {
        const int v = rows.level(before, ch);
        const int t = rows.level(row, ch);
        if ((ch < snap.size() && snap.at(ch) != 0) || qAbs(t - v) <= 1)
            continue;
        arrival = qMax(arrival, rampArrival(v, t, fadeStepOf(v, t, ticks)));
    }
    out.fadeMs = kTickMs * (arrival + 1);
    return out;
}
