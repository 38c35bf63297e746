#include "midiclock.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr unsigned char kClock = 0xf8;
constexpr unsigned char kStart = 0xfa;
constexpr unsigned char kContinue = 0xfb;
constexpr unsigned char kStop = 0xfc;
// A beat's pulses before the first estimate: fewer would let one late byte set the tempo.
constexpr int kFewestToFit = midiClock::kPulsesPerBeat;
// Without a tempo, a longer silence than this (20 BPM's pulse is 125 ms) is a new clock.
constexpr qint64 kLongestPulseNs = 500000000;
} // namespace

midiClock::midiClock(tempoState &publishTo) : m_publishTo(publishTo) {}

midiClock::event midiClock::feed(unsigned char status, qint64 ns)
{
    switch (status) {
    case kClock:
        pulse(ns);
        return none;
    case kStart:
        // The next pulse is the song's first.
        m_pulse = 0;
        m_anchorSeq = -1;
        m_counting = true;
        return start;
    case kContinue:
        m_counting = true;
        return resume;
    case kStop:
        m_counting = false;
        return stop;
    default:
        return none;
    }
}

qint64 midiClock::timeAt(qint64 seq) const
{
    return m_times[std::size_t(seq % kFitPulses)];
}

// Pulses before a silence of several pulses (or a step back in time) say nothing about the
// clock after it; the tempo measured stays until the new pulses give one. Only a line of
// its own pulses sets the limit: after a gap, a clock far slower than before must be heard.
void midiClock::forgetAfterGap(qint64 ns)
{
    if (m_heard == 0)
        return;
    const qint64 gap = ns - timeAt(m_seq - 1);
    const bool measured = m_tempo.periodNs > 0 && m_heard >= kFewestToFit;
    const qint64 limit = measured
                             ? std::max<qint64>(4 * m_tempo.periodNs / kPulsesPerBeat, 50000000)
                             : kLongestPulseNs;
    if (gap > 0 && gap <= limit)
        return;
    m_heard = 0;
    m_anchorSeq = -1;
}

// A pulse lost on the way (a full queue, a late JACK cycle) leaves a hole in the count, not
// a shift of every beat after it: a gap of one and a half pulses or more, on a clock already
// measured, counts the pulses it must have held, at their places on the fitted line.
void midiClock::fillLost(qint64 ns)
{
    if (m_heard < kFewestToFit || m_tempo.periodNs <= 0)
        return;
    const double pulseNs = double(m_tempo.periodNs) / kPulsesPerBeat;
    const qint64 last = timeAt(m_seq - 1);
    const qint64 lost = std::llround(double(ns - last) / pulseNs) - 1;
    for (qint64 i = 1; i <= lost; ++i) {
        m_times[std::size_t(m_seq % kFitPulses)] = last + std::llround(double(i) * pulseNs);
        m_heard = std::min(m_heard + 1, kFitPulses);
        if (m_counting)
            ++m_pulse;
        ++m_seq;
    }
}

void midiClock::pulse(qint64 ns)
{
    forgetAfterGap(ns);
    fillLost(ns);
    m_times[std::size_t(m_seq % kFitPulses)] = ns;
    m_heard = std::min(m_heard + 1, kFitPulses);
    if (m_counting) {
        m_anchorSeq = m_seq;
        m_anchorPulse = m_pulse++;
    }
    ++m_seq;
    estimate();
}

// Least squares of arrival time over pulse number for the pulses in the ring; returns the
// line's time at the oldest of them (relative to its arrival) and sets the slope (ns a pulse).
double midiClock::fit(double &slope) const
{
    const qint64 first = m_seq - m_heard;
    const qint64 origin = timeAt(first);
    const double meanSeq = double(m_heard - 1) / 2.0;
    double meanNs = 0;
    for (qint64 s = first; s < m_seq; ++s)
        meanNs += double(timeAt(s) - origin);
    meanNs /= m_heard;
    double covariance = 0;
    double variance = 0;
    for (qint64 s = first; s < m_seq; ++s) {
        const double x = double(s - first) - meanSeq;
        covariance += x * (double(timeAt(s) - origin) - meanNs);
        variance += x * x;
    }
    slope = covariance / variance;
    return meanNs - slope * meanSeq;
}

// The beat is the fitted time of the last counted pulse, moved back to the pulse that began
// its beat: after Continue that pulse may lie before the stop.
void midiClock::estimate()
{
    double slope = 0;
    double anchorNs = 0;
    const bool anchored = m_anchorSeq >= 0;
    if (m_heard >= kFewestToFit) {
        const double atFirst = fit(slope);
        const qint64 first = m_seq - m_heard;
        anchorNs = double(timeAt(first)) + atFirst + slope * double(m_anchorSeq - first);
    } else if (m_tempo.periodNs > 0 && anchored) {
        // Too few pulses since a gap: the tempo known with this pulse's own time.
        slope = double(m_tempo.periodNs) / kPulsesPerBeat;
        anchorNs = double(timeAt(m_anchorSeq));
    } else {
        return;
    }
    if (slope <= 0)
        return;
    m_tempo.periodNs = std::llround(slope * kPulsesPerBeat);
    if (anchored) {
        const qint64 intoBeat = m_anchorPulse % kPulsesPerBeat;
        m_tempo.beatNs = std::llround(anchorNs - slope * double(intoBeat));
        m_tempo.beat = m_anchorPulse / kPulsesPerBeat;
    }
    m_publishTo.publish(m_tempo);
}
