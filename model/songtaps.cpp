#include "songtaps.h"

#include "showlimits.h"

#include <cmath>

namespace songTaps
{
namespace
{
// The first time in [lo, hi] at which `reached` holds, given that it holds at hi and, once it
// holds, holds later on too.
template <typename test> qint64 firstWhere(qint64 lo, qint64 hi, test reached)
{
    while (lo < hi) {
        const qint64 mid = lo + (hi - lo) / 2;
        if (reached(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return hi;
}
} // namespace

tappedStep stepAt(const showTimeline &line, qint64 ms)
{
    tappedStep out;
    const showTimeline::position at = line.locate(ms);
    if (at.beforeStart || at.finished)
        return out;
    out.valid = true;
    out.row = at.row;
    out.startMs = firstWhere(0, ms, [&](qint64 t) { return line.locate(t).step >= at.step; });
    // While the fade is still under way the tap ends the step no sooner than the fade does.
    if (!at.holding) {
        out.fadeMs = ms - out.startMs + showTimeline::kTickMs;
        return out;
    }
    const qint64 holdFrom = firstWhere(out.startMs, ms, [&](qint64 t) {
        const showTimeline::position p = line.locate(t);
        return p.step > at.step || p.holding;
    });
    out.fadeMs = holdFrom - out.startMs + showTimeline::kTickMs;
    return out;
}

quint16 holdCell(const tappedStep &step, qint64 tapMs, double speed)
{
    const qint64 holdMs = tapMs - step.startMs - step.fadeMs;
    if (!step.valid || holdMs <= 0)
        return 0;
    const qint64 cell = std::llround(double(holdMs) * speed / 100.0);
    return quint16(qBound<qint64>(0, cell, showLimits::kMaxSpeed));
}

holdChange tap(const showTimeline &line, qint64 tapMs, double speed)
{
    const tappedStep step = stepAt(line, tapMs);
    if (!step.valid)
        return {};
    return {step.row, holdCell(step, tapMs, speed)};
}

QMap<int, quint16> holdsFor(showTimeline::setup show, const QVector<qint64> &tapsMs)
{
    QMap<int, quint16> holds;
    for (const qint64 ms : tapsMs) {
        const auto line = showTimeline::build(show);
        if (!line)
            break;
        const holdChange change = tap(*line, ms, show.speed);
        if (change.row < 0)
            continue;
        show.rows.setCell(change.row, 1, change.hold);
        holds.insert(change.row, change.hold);
    }
    return holds;
}
} // namespace songTaps
