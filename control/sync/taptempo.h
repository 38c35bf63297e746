#ifndef TAPTEMPO_H
#define TAPTEMPO_H

#include "syncsnapshot.h"

#include <QVector>

// The tempo a person taps. The last few taps are laid on a grid of equal beats, so that one
// missed tap (a gap of two beats) or one extra tap (between two beats) does not throw the
// tempo off; a pause of more than 2 s starts a new count, whose first tap is beat 0. A tempo
// once measured stays until the taps give a new one.
// GUI thread only (the window's and remote control's taps); the output thread reads
// only the tempoState it publishes to.
class tapTempo
{
  public:
    // `publishTo` (may be null) receives every new snapshot.
    explicit tapTempo(tempoState *publishTo = nullptr);

    // A tap at `ns` on the steady clock.
    void tap(qint64 ns);
    // 0 until a tempo is known.
    double bpm() const { return m_tempo.bpm(); }
    // The beat is the last tap that lies on the grid.
    tempoSnapshot snapshot() const { return m_tempo; }

  private:
    struct gridTap {
        qint64 ns;
        qint64 beat; // counted from the window's first tap
    };

    tempoState *m_publishTo;
    QVector<qint64> m_taps;  // the current count's last taps, oldest first
    QVector<qint64> m_beats; // the beat of each tap at the last look (-1: an extra tap)
    qint64 m_firstBeat = 0;  // the beat of m_taps' first tap since the count began
    tempoSnapshot m_tempo;

    void startCount(qint64 ns);
    void dropOldest();
    void measure();
    QVector<gridTap> onGrid(double period);
    void publish();
};

#endif
