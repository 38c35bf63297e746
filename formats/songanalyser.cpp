#include "songanalyser.h"

#include "beatfinder.h"
#include "songreader.h"

#include <algorithm>
#include <vector>

namespace
{
constexpr int kBlockFrames = 4096;

// The lowest and highest sample of each stretch, filled as the song is read.
class peakSummary
{
  public:
    peakSummary(qint64 frames, int stretches)
        : m_frames(std::max<qint64>(1, frames)), m_peaks(std::max(1, stretches)),
          m_seen(m_peaks.size(), false)
    {
    }

    void add(const float *mono, int count, qint64 firstFrame)
    {
        const qint64 stretches = m_peaks.size();
        for (int i = 0; i < count; ++i) {
            const qint64 at = std::min(stretches - 1, (firstFrame + i) * stretches / m_frames);
            songPeak &peak = m_peaks[int(at)];
            if (!m_seen[size_t(at)]) {
                peak = {mono[i], mono[i]};
                m_seen[size_t(at)] = true;
            } else {
                peak.low = std::min(peak.low, mono[i]);
                peak.high = std::max(peak.high, mono[i]);
            }
        }
    }

    QVector<songPeak> take() { return m_peaks; }

  private:
    qint64 m_frames;
    QVector<songPeak> m_peaks;
    std::vector<bool> m_seen;
};

// Feeds the whole song to the summary and the beat finder; false with the reason when a read
// failed or the report asked to stop.
bool readWhole(songReader &song, peakSummary &peaks, beatFinder &beats,
               const songAnalyser::progress &report, QString &error)
{
    std::vector<float> block(kBlockFrames);
    int reported = 0;
    for (;;) {
        const qint64 first = song.framesRead();
        const int got = song.readMono(block.data(), kBlockFrames);
        if (got <= 0)
            break;
        peaks.add(block.data(), got, first);
        beats.add(block.data(), got);
        const int hundredths = int(
            std::min<qint64>(100, song.framesRead() * 100 / std::max<qint64>(1, song.frames())));
        if (report && hundredths > reported) {
            reported = hundredths;
            if (!report(hundredths / 100.0)) {
                error = QStringLiteral("stopped");
                return false;
            }
        }
    }
    error = song.error();
    if (error.isEmpty() && song.framesRead() == 0)
        error = QStringLiteral("holds no sound");
    // A song shorter than its header said is read whole all the same.
    if (error.isEmpty() && report && reported < 100)
        report(1.0);
    return error.isEmpty();
}
} // namespace

bool songAnalyser::analyse(const QString &path, songAnalysis &out, QString &error,
                           const progress &report, int stretches)
{
    songReader song(path);
    if (!song.isOpen()) {
        error = song.error();
        return false;
    }
    peakSummary peaks(song.frames(), stretches);
    beatFinder beats(song.sampleRate());
    if (!readWhole(song, peaks, beats, report, error))
        return false;
    out = songAnalysis();
    out.sampleRate = song.sampleRate();
    out.channels = song.channels();
    out.lengthMs = song.framesRead() * 1000 / song.sampleRate();
    const beatFinder::result found = beats.finish(out.lengthMs);
    out.tempoBpm = found.tempoBpm;
    out.firstBeatMs = found.firstBeatMs;
    out.beats = found.beats;
    out.peaks = peaks.take();
    return true;
}
