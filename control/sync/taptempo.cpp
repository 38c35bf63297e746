#include "taptempo.h"

#include <cmath>
#include <cstdlib>

namespace
{
constexpr qint64 kPauseNs = 2000000000;   // a longer pause starts a new count
constexpr qint64 kShortestNs = 200000000; // 300 BPM
constexpr qint64 kLongestNs = 3000000000; // 20 BPM
// Eight intervals, or seven and an extra tap.
constexpr int kMostTaps = 9;
// How far an interval may be from a whole number of beats and still count as those beats.
constexpr double kSlack = 0.2;
// Less than this many beats after the tap before it, a tap is one too many; the one of the
// two that lies nearer the grid is kept.
constexpr double kNewBeat = 0.65;

struct guess {
    int single = 0; // intervals of one beat
    int whole = 0;  // intervals of a whole number of beats
    double period = 0;
};

// How well `beat` explains the intervals: those of one beat count first, then those of
// several (a missed tap). The period is their mean length per beat.
guess tryBeat(const QVector<qint64> &intervals, qint64 beat)
{
    guess g;
    qint64 beats = 0;
    qint64 spanned = 0;
    for (const qint64 d : intervals) {
        const double r = double(d) / double(beat);
        const qint64 n = std::llround(r);
        if (n < 1 || std::abs(r - double(n)) >= kSlack)
            continue;
        g.single += n == 1;
        ++g.whole;
        beats += n;
        spanned += d;
    }
    g.period = beats > 0 ? double(spanned) / double(beats) : 0.0;
    return g;
}

// Each interval in range is a candidate for one beat; the one most intervals agree with wins.
double beatOf(const QVector<qint64> &taps)
{
    QVector<qint64> intervals;
    for (int i = 1; i < taps.size(); ++i)
        intervals << taps.at(i) - taps.at(i - 1);
    guess best;
    for (const qint64 d : intervals) {
        if (d < kShortestNs || d > kLongestNs)
            continue;
        const guess g = tryBeat(intervals, d);
        if (g.single > best.single || (g.single == best.single && g.whole > best.whole))
            best = g;
    }
    return best.period;
}
// A least-squares line of time over beat number; times from the first point's.
struct line {
    double slope = 0;
    double meanBeat = 0;
    double meanNs = 0;

    double at(qint64 beat) const { return meanNs + slope * (double(beat) - meanBeat); }
};

template <typename points> line fitLine(const points &kept)
{
    line l;
    const qint64 origin = kept.at(0).ns;
    for (const auto &t : kept) {
        l.meanBeat += double(t.beat);
        l.meanNs += double(t.ns - origin);
    }
    l.meanBeat /= double(kept.size());
    l.meanNs /= double(kept.size());
    double covariance = 0;
    double variance = 0;
    for (const auto &t : kept) {
        const double b = double(t.beat) - l.meanBeat;
        covariance += b * (double(t.ns - origin) - l.meanNs);
        variance += b * b;
    }
    l.slope = covariance / variance;
    return l;
}
} // namespace

tapTempo::tapTempo(tempoState *publishTo) : m_publishTo(publishTo) {}

void tapTempo::tap(qint64 ns)
{
    if (!m_taps.isEmpty() && ns == m_taps.constLast())
        return;
    if (m_taps.isEmpty() || ns < m_taps.constLast() || ns - m_taps.constLast() > kPauseNs) {
        startCount(ns);
        return;
    }
    m_taps << ns;
    m_beats << -1;
    if (m_taps.size() > kMostTaps)
        dropOldest();
    measure();
}

// The first tap of a count is beat 0; with a tempo known it sets the phase at once.
void tapTempo::startCount(qint64 ns)
{
    m_taps = {ns};
    m_beats = {0};
    m_firstBeat = 0;
    if (m_tempo.periodNs <= 0)
        return;
    m_tempo.beatNs = ns;
    m_tempo.beat = 0;
    publish();
}

// The window starts again at the next tap on the grid, which keeps its beat number. Taps
// that gave no tempo (all too fast) have none: the next tap then stands in for beat 0 of
// the window, so that the window never grows.
void tapTempo::dropOldest()
{
    int first = 1;
    while (first < m_beats.size() - 1 && m_beats.at(first) < 0)
        ++first;
    if (m_beats.at(first) < 0) {
        first = 1;
        m_beats[first] = 0;
    }
    const qint64 shift = m_beats.at(first);
    m_taps.remove(0, first);
    m_beats.remove(0, first);
    m_firstBeat += shift;
    for (qint64 &beat : m_beats) {
        if (beat >= 0)
            beat -= shift;
    }
}

// Beat numbers for the taps from the window's first on, at the estimated beat length; an
// extra tap gets -1.
QVector<tapTempo::gridTap> tapTempo::onGrid(double period)
{
    QVector<gridTap> kept{{m_taps.at(0), 0}};
    QVector<int> index{0};
    for (int i = 1; i < m_taps.size(); ++i) {
        const qint64 ns = m_taps.at(i);
        const double beats = double(ns - kept.constLast().ns) / period;
        if (beats >= kNewBeat) {
            kept.append({ns, kept.constLast().beat + std::max<qint64>(1, std::llround(beats))});
            index << i;
            continue;
        }
        if (kept.size() < 2)
            continue;
        const gridTap &before = kept.at(kept.size() - 2);
        const double expected =
            double(before.ns) + double(kept.constLast().beat - before.beat) * period;
        if (std::abs(double(ns) - expected) < std::abs(double(kept.constLast().ns) - expected)) {
            kept.last().ns = ns;
            index.last() = i;
        }
    }
    m_beats.fill(-1);
    for (int k = 0; k < kept.size(); ++k)
        m_beats[index.at(k)] = kept.at(k).beat;
    return kept;
}

// A straight line through the taps on the grid: its slope is the beat, and its value at the
// last of them the beat's phase, steadier than any one tap.
void tapTempo::measure()
{
    const double period = beatOf(m_taps);
    if (period <= 0)
        return;
    const QVector<gridTap> kept = onGrid(period);
    if (kept.size() < 2)
        return;
    const line fitted = fitLine(kept);
    if (fitted.slope < double(kShortestNs) || fitted.slope > double(kLongestNs))
        return;
    const qint64 lastBeat = kept.constLast().beat;
    m_tempo = {std::llround(fitted.slope), kept.at(0).ns + std::llround(fitted.at(lastBeat)),
               m_firstBeat + lastBeat};
    publish();
}

void tapTempo::publish()
{
    if (m_publishTo)
        m_publishTo->publish(m_tempo);
}
