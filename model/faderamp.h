#ifndef FADERAMP_H
#define FADERAMP_H

#include <QtGlobal>

// The arithmetic of a fade, shared by the engine, which runs it a tick at a time, and by the
// timecode chase, which has to know where a fade stands at any tick without running the
// ticks before it. Both must agree to the bit. Any thread: pure functions of their arguments.

// Fade and speed cells above 1 count three ticks per unit.
inline int scaledCell(int cell)
{
    return cell <= 1 ? cell : 3 * cell;
}

// A time in ticks or milliseconds at the speed master's factor; never below one unit when
// it was not zero, so that a sped-up fade still moves.
inline int atSpeed(int units, double factor)
{
    if (units <= 0)
        return units;
    return qMax(1, qRound(units / factor));
}

// One tick of one channel of a fade: the level `v` the channel has, its target `t`, its
// running value and its step. Returns the new level; `arrived` tells whether the channel
// was within one of its target before the tick.
inline int fadeTick(int v, int t, float &value, float step, bool &arrived)
{
    // A step larger than the distance left (old steps after a pick) lands on the target
    // instead of passing it, which could swing around it for ever.
    arrived = v >= t - 1 && v <= t + 1;
    if (arrived)
        value = float(t);
    else if (v < t)
        value = qMin(value + step, float(t));
    else
        value = qMax(value - step, float(t));
    return static_cast<int>(value);
}

// The step of a fade from `v` to `t` in `ticks` ticks, as the engine sets it up.
inline float fadeStepOf(int v, int t, int ticks)
{
    return v == t ? 0.0f : float(qAbs(t - v)) / float(ticks);
}

// The running value after `moves` ticks of `step` from `value` towards `target` (the side
// of the target `value` lies on gives the direction), each move rounded to float and
// clamped at the target as fadeTick() does. Within one binary order of magnitude every move
// rounds alike, so the moves are counted out a whole stretch at a time.
float rampAfter(float value, float step, float target, qint64 moves);

// The tick (0 = the row's first) on which a channel faded from `v` to `t` with `step`
// first finds itself within one of its target.
qint64 rampArrival(int v, int t, float step);

#endif
