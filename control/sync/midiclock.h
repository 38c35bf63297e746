#ifndef MIDICLOCK_H
#define MIDICLOCK_H

#include "syncsnapshot.h"

#include <array>

// The tempo and beat of a MIDI clock: 24 clock bytes (F8) a beat, Start (FA), Continue (FB)
// and Stop (FC). The tempo is the slope of a straight line through the last pulses' arrival
// times, so that jitter of single bytes averages out, and the beats are read off the same
// line, so that they do not drift from the sender's. Fed from one thread (the MIDI input's);
// other threads read the tempoState it publishes to.
class midiClock
{
  public:
    // What the caller should do with playback.
    enum event { none, start, stop, resume };

    static constexpr int kPulsesPerBeat = 24;

    // Every new estimate goes to `publishTo`.
    explicit midiClock(tempoState &publishTo);

    // A real-time byte that arrived at `ns` on the steady clock; other bytes are ignored.
    event feed(unsigned char status, qint64 ns);

    double bpm() const { return m_tempo.bpm(); }
    tempoSnapshot snapshot() const { return m_tempo; }
    // Pulses counted since Start (or since the first one heard); Stop holds the count.
    qint64 pulses() const { return m_pulse; }
    bool counting() const { return m_counting; }

  private:
    static constexpr int kFitPulses = 96;

    tempoState &m_publishTo;
    // Arrival times of the last pulses, a ring; its pulse numbers run on through Stop and
    // Start, and start again only after a gap.
    std::array<qint64, kFitPulses> m_times{};
    int m_heard = 0;          // pulses in the ring
    qint64 m_seq = 0;         // the number of the next pulse in the ring's count
    qint64 m_pulse = 0;       // the song's next pulse number
    qint64 m_anchorSeq = -1;  // the ring number of the last pulse counted (-1: none since a gap)
    qint64 m_anchorPulse = 0; // and its song pulse number
    bool m_counting = true;
    tempoSnapshot m_tempo;

    void pulse(qint64 ns);
    void forgetAfterGap(qint64 ns);
    void fillLost(qint64 ns);
    void estimate();
    double fit(double &slope) const;
    qint64 timeAt(qint64 seq) const;
};

#endif
