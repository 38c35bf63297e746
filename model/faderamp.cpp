#include "faderamp.h"

#include <cmath>

namespace
{
// A move on the float grid, one at a time, exactly as fadeTick() makes it.
double floatMove(double x, float step, float target, bool up)
{
    const float value = float(x);
    return up ? qMin(value + step, target) : qMax(value - step, target);
}

// The grid of x's order of magnitude and its ends: floats in [low, high) are multiples of
// `unit`.
struct binade {
    double low;
    double high;
    double unit;
};

binade binadeOf(double x)
{
    int e = 0;
    std::frexp(x, &e);
    return {std::ldexp(1.0, e - 1), std::ldexp(1.0, e), std::ldexp(1.0, e - 24)};
}

// Moves that can be counted out in one go from x: each exact sum stays inside x's binade,
// so each rounds to the same multiple `delta` of its unit. At most `limit`.
qint64 stretch(double x, double s, double delta, const binade &b, bool up, qint64 limit)
{
    // Sums x +- (i - 1) delta +- s must stay below high (up) or at or above low (down).
    const double room = up ? b.high - x - s : x - s - b.low;
    if (room < 0 || (up && room == 0))
        return 0;
    qint64 n = qint64(std::floor(room / delta)) + 1;
    n = qMin(n, limit);
    auto fits = [&](qint64 i) {
        const double sum = up ? x + double(i - 1) * delta + s : x - double(i - 1) * delta - s;
        return up ? sum < b.high : sum >= b.low;
    };
    while (n > 0 && !fits(n))
        --n;
    while (n < limit && fits(n + 1))
        ++n;
    return n;
}
} // namespace

float rampAfter(float value, float step, float target, qint64 moves)
{
    const bool up = value < target;
    double x = value;
    const double s = step;
    const double t = target;
    while (moves > 0) {
        if (up ? x >= t : x <= t)
            return target;
        if (x == 0.0 || s == 0.0) {
            x = floatMove(x, step, target, up);
            --moves;
            if (s == 0.0)
                return float(x);
            continue;
        }
        const binade b = binadeOf(x);
        const double q = s / b.unit;
        const double whole = std::floor(q);
        // A tie rounds to even, which alternates: those moves go one at a time.
        if (q - whole == 0.5) {
            x = floatMove(x, step, target, up);
            --moves;
            continue;
        }
        const double delta = (q - whole < 0.5 ? whole : whole + 1) * b.unit;
        // A step below half a unit is lost in the rounding: the value moves no more.
        if (delta == 0.0)
            return float(x);
        qint64 n = stretch(x, s, delta, b, up, moves);
        {
            // Moves before the clamp at the target: the first that reaches it ends the fade.
            const double left = up ? t - x : x - t;
            n = qMin(n, qint64(std::ceil(left / delta)));
        }
        if (n <= 0) {
            x = floatMove(x, step, target, up);
            --moves;
            continue;
        }
        x = up ? x + double(n) * delta : x - double(n) * delta;
        moves -= n;
        if (up ? x >= t : x <= t)
            return target;
    }
    return float(x);
}

qint64 rampArrival(int v, int t, float step)
{
    constexpr qint64 kNever = qint64(1) << 40;
    if (qAbs(v - t) <= 1)
        return 0;
    auto arrivedAt = [&](qint64 tick) {
        const int level = static_cast<int>(rampAfter(float(v), step, float(t), tick));
        return level >= t - 1 && level <= t + 1;
    };
    // A step the rounding swallows never arrives; such a row is as good as endless.
    if (!arrivedAt(kNever))
        return kNever;
    // Levels only move towards the target, so the first tick within one is found by halving.
    qint64 low = 0;
    qint64 high = 1;
    while (!arrivedAt(high)) {
        low = high;
        high *= 2;
    }
    while (high - low > 1) {
        const qint64 mid = low + (high - low) / 2;
        if (arrivedAt(mid))
            high = mid;
        else
            low = mid;
    }
    return high;
}
