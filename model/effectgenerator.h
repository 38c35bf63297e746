#ifndef EFFECTGENERATOR_H
#define EFFECTGENERATOR_H

#include <QVector>

// Values that fill a block of steps: one column of values per target (a channel, the speed
// or the fade), one value per row. Plain functions, so that the same parameters always give
// the same values.
// Any thread.
namespace effectGenerator
{
enum shape { constant, ramp, sine, triangle, square, saw, random, named };
enum easing { linear, easeIn, easeOut, easeInOut };

struct params {
    int shape = ramp;
    int a = 0;
    int b = 255;
    // Waves: cycles over the rows and where the first row starts in a cycle (0..1).
    double cycles = 1.0;
    double phase = 0.0;
    int easing = linear;
    quint32 seed = 1;
    // Each target runs this much of a cycle behind the one before it (a ramp starts later, a
    // random or named sequence by this share of its length).
    double spread = 0.0;
    // The named shape's values, one per row in this order, repeated.
    QVector<int> values;
};

struct result {
    // Row after row, `targets` values each.
    QVector<int> values;
    // Some value fell outside 0..top and was held at the bound.
    bool clamped = false;
};

result generate(const params &p, int rows, int targets, int top);
// A seed from the clock, for a new random pattern; never 0.
quint32 freshSeed();
} // namespace effectGenerator

#endif
