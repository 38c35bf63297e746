#ifndef SONGANALYSIS_H
#define SONGANALYSIS_H

#include <QMetaType>
#include <QString>
#include <QVector>

// A song as the show sees it: its length, the waveform summary the timeline draws and the
// beats found in it; and the link the show file keeps to it. Plain values, any thread.
namespace songLimits
{
// A show is set to one song, not to a whole set: longer files are refused.
constexpr qint64 kMaxLengthMs = 20 * 60 * 1000;
// Tempos outside this range are no beat a step could follow.
constexpr double kMinBpm = 20.0;
constexpr double kMaxBpm = 400.0;
} // namespace songLimits

// The lowest and highest sample (mono, -1..1) of one stretch of the song.
struct songPeak {
    float low = 0.0f;
    float high = 0.0f;
    bool operator==(const songPeak &other) const { return low == other.low && high == other.high; }
};

struct songAnalysis {
    qint64 lengthMs = 0;
    int sampleRate = 0;
    int channels = 0;
    // 0 when no beat was found.
    double tempoBpm = 0.0;
    // Where the grid of tempoBpm starts: the first beat of the song.
    double firstBeatMs = 0.0;
    // Each beat where the song has it, in ms from its start, ascending; they may drift from
    // the grid where the song's tempo does.
    QVector<double> beats;
    // The song cut into equal stretches, in order.
    QVector<songPeak> peaks;

    bool operator==(const songAnalysis &other) const;
    bool operator!=(const songAnalysis &other) const { return !(*this == other); }
};

// The song a show is set to, as its show file keeps it.
struct songLink {
    // Relative to the show file's folder, or absolute; empty: the show has no song.
    QString path;
    qint64 lengthMs = 0;
    double tempoBpm = 0.0;
    double firstBeatMs = 0.0;
    // The user set these by hand; a new analysis leaves them alone.
    bool tempoCorrected = false;
    bool firstBeatCorrected = false;
    QVector<double> beats;

    bool operator==(const songLink &other) const;
    bool operator!=(const songLink &other) const { return !(*this == other); }
};

namespace beatGrid
{
// The beats of a steady tempo from firstBeatMs to the song's end (lengthMs excluded): what a
// tempo and first beat corrected by hand stand for. Empty for a tempo outside songLimits.
QVector<double> beats(double tempoBpm, double firstBeatMs, qint64 lengthMs);
} // namespace beatGrid

Q_DECLARE_METATYPE(songAnalysis)

#endif
