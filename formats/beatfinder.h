#ifndef BEATFINDER_H
#define BEATFINDER_H

#include <QVector>
#include <QtGlobal>

#include <memory>
#include <vector>

// The tempo and beats of a song fed to it in order, a block of mono samples at a time.
// aubio's tempo tracker proposes the beats. Since it places them only to its hop (about
// 12 ms), lags while it settles, may follow bright off-beats and may pick half the tempo,
// each proposal is moved onto the onset next to it; proposals are replaced by the onsets
// halfway between them where those are clearly stronger, and joined by them where they are
// as strong. The tempo and first beat come from a straight line through the beats, and beats
// the tracker skipped or found before it settled are filled in where the song has onsets on
// that line. Any one thread at a time.
class beatFinder
{
  public:
    struct result {
        double tempoBpm = 0.0; // 0: no beat found
        double firstBeatMs = 0.0;
        QVector<double> beats;
    };

    explicit beatFinder(int sampleRate);
    ~beatFinder();
    beatFinder(const beatFinder &) = delete;
    beatFinder &operator=(const beatFinder &) = delete;

    void add(const float *mono, int count);
    // What the samples added so far hold; lengthMs is the song's.
    result finish(qint64 lengthMs) const;

  private:
    struct tracker; // aubio's, fed one hop at a time

    void addToEnergy(float sample);

    int m_sampleRate;
    std::unique_ptr<tracker> m_tracker;
    // The mean square of each short frame, from which finish() finds the onsets.
    std::vector<float> m_energy;
    int m_frameSize;
    int m_frameFill = 0;
    double m_frameEnergy = 0.0;
};

#endif
