#include "beatfinder.h"

#include "songanalysis.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>

namespace
{
// The onset envelope's frame, fine enough to place a beat to a few ms; the stretch it
// compares with, long enough to hold a wave of the lowest bass; and a sound's first moment.
constexpr double kFrameMs = 3.0;
constexpr double kStretchMs = 30.0;
constexpr double kAttackMs = 6.0;
// How far a proposed beat may move onto its onset, at most a quarter of a beat.
constexpr double kReachMs = 50.0;
// A beat's onset counts as one when it is at least this share of the typical beat's.
constexpr double kStrongShare = 0.5;
// Off-beats nearly as strong as the beats are beats of twice the tempo, up to kMaxDoubledBpm;
// beats this weak against the off-beats are the off-beats.
constexpr double kDoubleShare = 0.9;
constexpr double kOffBeatShare = 0.75;
constexpr double kMaxDoubledBpm = 200.0;
// A beat further than this share of a beat from the fitted line is no beat of the song's.
constexpr double kOffLineShare = 1.0 / 8;

// The hop aubio's tracker works in: about 12 ms whatever the rate, a power of two for its FFT.
int hopSizeFor(int sampleRate)
{
    int hop = 512;
    while (hop * 48000 < sampleRate * 512)
        hop *= 2;
    return hop;
}

bool isTempo(double bpm)
{
    return bpm >= songLimits::kMinBpm && bpm <= songLimits::kMaxBpm;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

struct onset {
    double at = 0.0;
    double strength = 0.0;
};

// Where the loudness rises, compared at each frame with the stretch before it, which is as
// long as a bass note's wave so that the wave's own swell is no onset. A sound starts on the
// frame whose next few ms stand out most. Its strength is the lesser of that rise and the
// rise of a whole stretch after it, so that neither a hat's sharp start nor the lead-in to a
// loud sound passes for a strong beat.
class envelope
{
  public:
    envelope(const std::vector<float> &energy, double frameMs) : m_frameMs(frameMs)
    {
        const qint64 frames = qint64(energy.size());
        const qint64 stretch = std::max<qint64>(1, std::llround(kStretchMs / frameMs));
        const qint64 attack = std::max<qint64>(1, std::llround(kAttackMs / frameMs));
        std::vector<double> sum(size_t(frames + 1), 0.0);
        for (qint64 k = 0; k < frames; ++k)
            sum[size_t(k + 1)] = sum[size_t(k)] + energy[size_t(k)];
        const auto level = [&sum, frames](qint64 from, qint64 to) {
            from = std::max<qint64>(0, from);
            to = std::min(frames, to);
            return to > from ? std::sqrt((sum[size_t(to)] - sum[size_t(from)]) / double(to - from))
                             : 0.0;
        };
        m_start.reserve(size_t(frames));
        m_strength.reserve(size_t(frames));
        for (qint64 k = 0; k < frames; ++k) {
            const double before = level(k - stretch, k);
            m_start.push_back(float(std::max(0.0, level(k, k + attack) - before)));
            m_strength.push_back(float(std::max(0.0, level(k, k + stretch) - before)));
        }
    }

    // The onset within reach of `at`: the frame where a sound starts, and its strength. `at`
    // itself with strength 0 when the reach holds none, or only the rise towards one beyond it.
    onset strongest(double at, double reach) const
    {
        const qint64 size = qint64(m_start.size());
        const qint64 first = std::max<qint64>(0, std::llround((at - reach) / m_frameMs));
        const qint64 last = std::min<qint64>(size - 1, std::llround((at + reach) / m_frameMs));
        qint64 found = -1;
        for (qint64 k = first; k <= last; ++k)
            if (m_start[size_t(k)] > 0.0f &&
                (found < 0 || m_start[size_t(k)] > m_start[size_t(found)]))
                found = k;
        const bool beyondFirst =
            found == first && found > 0 && m_start[size_t(found - 1)] > m_start[size_t(found)];
        const bool beyondLast = found == last && found + 1 < size &&
                                m_start[size_t(found + 1)] > m_start[size_t(found)];
        if (found < 0 || beyondFirst || beyondLast)
            return {at, 0.0};
        return {double(found) * m_frameMs,
                double(std::min(m_start[size_t(found)], m_strength[size_t(found)]))};
    }

  private:
    std::vector<float> m_start;
    std::vector<float> m_strength;
    double m_frameMs;
};

// The beats' positions as t0 + index * period.
struct gridLine {
    double t0 = 0.0;
    double period = 0.0;
    double at(qint64 index) const { return t0 + double(index) * period; }
};

// Each beat's index on a grid of about `period`, counted from the first beat on, so that a
// missed beat leaves a gap in the indexes instead of shifting the later ones.
std::vector<qint64> beatIndexes(const std::vector<double> &beats, double period)
{
    std::vector<qint64> index(beats.size(), 0);
    for (size_t i = 1; i < beats.size(); ++i)
        index[i] =
            index[i - 1] + std::max<qint64>(1, std::llround((beats[i] - beats[i - 1]) / period));
    return index;
}

// Least squares over the beats near the line, starting from a median line that stray beats
// cannot pull away.
gridLine fitLine(const std::vector<double> &beats, const std::vector<qint64> &index, double period)
{
    std::vector<double> steps;
    for (size_t i = 1; i < beats.size(); ++i)
        steps.push_back((beats[i] - beats[i - 1]) / double(index[i] - index[i - 1]));
    gridLine line;
    line.period = median(steps);
    if (line.period <= 0.0)
        line.period = period;
    std::vector<double> offsets;
    for (size_t i = 0; i < beats.size(); ++i)
        offsets.push_back(beats[i] - double(index[i]) * line.period);
    line.t0 = median(offsets);
    for (int pass = 0; pass < 2; ++pass) {
        double n = 0, sk = 0, st = 0, skk = 0, skt = 0;
        for (size_t i = 0; i < beats.size(); ++i) {
            if (std::abs(beats[i] - line.at(index[i])) > line.period * kOffLineShare)
                continue;
            const double k = double(index[i]);
            n += 1;
            sk += k;
            st += beats[i];
            skk += k * k;
            skt += k * beats[i];
        }
        const double spread = n * skk - sk * sk;
        if (n < 2 || spread <= 0.0)
            break;
        line.period = (n * skt - sk * st) / spread;
        line.t0 = (st - line.period * sk) / n;
    }
    return line;
}

class refinement
{
  public:
    refinement(const envelope &rises, qint64 lengthMs) : m_rises(rises), m_lengthMs(lengthMs) {}

    beatFinder::result run(const std::vector<double> &proposed, double trackerBpm)
    {
        m_period = trackerBpm > 0.0 ? 60000.0 / trackerBpm : 0.0;
        if (proposed.size() < 4 || m_period <= 0.0)
            return unrefined(proposed, trackerBpm);
        m_reach = std::min(kReachMs, m_period / 4);
        std::vector<double> beats = strongBeats(onBeatOrOffBeat(proposed));
        if (beats.size() < 4)
            return unrefined(proposed, trackerBpm);
        const gridLine line = fitLine(beats, beatIndexes(beats, m_period), m_period);
        if (!isTempo(60000.0 / line.period))
            return unrefined(proposed, trackerBpm);
        m_period = line.period;
        beats = onLine(beats, line);
        if (beats.empty())
            return unrefined(proposed, trackerBpm);
        fillGaps(beats);
        extend(beats);
        beatFinder::result out;
        out.tempoBpm = 60000.0 / line.period;
        // A first beat at the song's very start may fit a hair before it.
        out.firstBeatMs =
            std::max(0.0, line.at(std::llround((beats.front() - line.t0) / line.period)));
        out.beats = QVector<double>(beats.begin(), beats.end());
        return out;
    }

  private:
    beatFinder::result unrefined(const std::vector<double> &proposed, double trackerBpm) const
    {
        beatFinder::result out;
        out.tempoBpm = isTempo(trackerBpm) ? trackerBpm : 0.0;
        out.firstBeatMs = proposed.empty() ? 0.0 : proposed.front();
        out.beats = QVector<double>(proposed.begin(), proposed.end());
        return out;
    }

    std::vector<onset> onsetsNear(const std::vector<double> &times) const
    {
        std::vector<onset> found;
        for (double at : times)
            found.push_back(m_rises.strongest(at, m_reach));
        return found;
    }

    static double typicalStrength(const std::vector<onset> &onsets)
    {
        std::vector<double> strengths;
        for (const onset &each : onsets)
            strengths.push_back(each.strength);
        return median(strengths);
    }

    // The proposals on their onsets, or the onsets halfway between them where those are
    // stronger (the tracker followed bright off-beats over a kick), or both where they are
    // about as strong (it took half the tempo).
    std::vector<onset> onBeatOrOffBeat(const std::vector<double> &proposed)
    {
        std::vector<onset> beats = onsetsNear(proposed);
        std::vector<double> halfway;
        for (size_t i = 1; i < proposed.size(); ++i)
            if (isBeatApart(proposed[i - 1], proposed[i]))
                halfway.push_back((proposed[i - 1] + proposed[i]) / 2);
        const std::vector<onset> offBeats = onsetsNear(halfway);
        const double on = typicalStrength(beats);
        const double off = typicalStrength(offBeats);
        if (off * kOffBeatShare > on)
            return offBeats;
        if (off >= on * kDoubleShare && 60000.0 / m_period * 2 <= kMaxDoubledBpm) {
            beats.insert(beats.end(), offBeats.begin(), offBeats.end());
            std::sort(beats.begin(), beats.end(),
                      [](const onset &a, const onset &b) { return a.at < b.at; });
            m_period /= 2;
            m_reach = std::min(kReachMs, m_period / 4);
        }
        return beats;
    }

    // Those with an onset worth the name (not the tracker's guesses while it settles), one per
    // beat.
    std::vector<double> strongBeats(const std::vector<onset> &candidates)
    {
        m_typical = typicalStrength(candidates);
        std::vector<double> beats;
        for (const onset &beat : candidates) {
            if (!isStrong(beat))
                continue;
            if (!beats.empty() && beat.at - beats.back() < m_period / 2)
                continue;
            beats.push_back(beat.at);
        }
        return beats;
    }

    bool isStrong(const onset &beat) const
    {
        return beat.strength > 0.0 && beat.strength >= m_typical * kStrongShare;
    }

    bool isBeatApart(double a, double b) const
    {
        return b - a > 0.75 * m_period && b - a < 1.25 * m_period;
    }

    std::vector<double> onLine(const std::vector<double> &beats, const gridLine &line) const
    {
        std::vector<double> kept;
        for (double at : beats) {
            const double index = std::round((at - line.t0) / line.period);
            if (std::abs(at - line.at(qint64(index))) <= line.period * kOffLineShare)
                kept.push_back(at);
        }
        return kept;
    }

    // The onset near `at`, or `at` itself where the song has none there.
    double beatNear(double at) const
    {
        const onset found = m_rises.strongest(at, m_reach);
        return isStrong(found) ? found.at : at;
    }

    // Beats the tracker skipped, spread evenly between their neighbours.
    void fillGaps(std::vector<double> &beats) const
    {
        std::vector<double> filled;
        for (size_t i = 0; i < beats.size(); ++i) {
            if (i > 0) {
                const double span = beats[i] - beats[i - 1];
                const qint64 count = std::llround(span / m_period);
                for (qint64 j = 1; j < count; ++j)
                    filled.push_back(beatNear(beats[i - 1] + double(j) * span / double(count)));
            }
            filled.push_back(beats[i]);
        }
        beats.swap(filled);
    }

    // Beats before the tracker settled and after its last, as long as the song has onsets
    // on them (a beat at its very start or end may be found a little inside).
    void extend(std::vector<double> &beats) const
    {
        for (;;) {
            const onset before = m_rises.strongest(beats.front() - m_period, m_reach);
            if (beats.front() - m_period < -m_reach || !isStrong(before))
                break;
            beats.insert(beats.begin(), before.at);
        }
        for (;;) {
            const onset after = m_rises.strongest(beats.back() + m_period, m_reach);
            if (beats.back() + m_period > double(m_lengthMs) + m_reach || !isStrong(after))
                break;
            beats.push_back(after.at);
        }
    }

    const envelope &m_rises;
    qint64 m_lengthMs;
    double m_period = 0.0;
    double m_reach = kReachMs;
    double m_typical = 0.0;
};
} // namespace

struct beatFinder::tracker {
    explicit tracker(int sampleRate)
        : hopSize(hopSizeFor(sampleRate)),
          tempo(
              new_aubio_tempo("default", uint_t(2 * hopSize), uint_t(hopSize), uint_t(sampleRate))),
          hop(new_fvec(uint_t(hopSize))), beat(new_fvec(2))
    {
    }
    ~tracker()
    {
        if (tempo)
            del_aubio_tempo(tempo);
        del_fvec(hop);
        del_fvec(beat);
    }
    tracker(const tracker &) = delete;
    tracker &operator=(const tracker &) = delete;

    void add(float sample, int sampleRate)
    {
        hop->data[hopFill++] = sample;
        if (hopFill < hopSize)
            return;
        hopFill = 0;
        if (!tempo)
            return;
        aubio_tempo_do(tempo, hop, beat);
        if (beat->data[0] != 0.0f)
            proposed.push_back(1000.0 * double(aubio_tempo_get_last(tempo)) / sampleRate);
    }

    double bpm() const { return tempo ? double(aubio_tempo_get_bpm(tempo)) : 0.0; }

    const int hopSize;
    aubio_tempo_t *const tempo;
    fvec_t *const hop;
    fvec_t *const beat;
    int hopFill = 0;
    std::vector<double> proposed; // ms
};

beatFinder::beatFinder(int sampleRate)
    : m_sampleRate(qMax(1, sampleRate)), m_tracker(new tracker(m_sampleRate)),
      m_frameSize(qMax(1, int(m_sampleRate * kFrameMs / 1000)))
{
}

beatFinder::~beatFinder() = default;

void beatFinder::add(const float *mono, int count)
{
    for (int i = 0; i < count; ++i) {
        m_tracker->add(mono[i], m_sampleRate);
        addToEnergy(mono[i]);
    }
}

void beatFinder::addToEnergy(float sample)
{
    m_frameEnergy += double(sample) * double(sample);
    if (++m_frameFill < m_frameSize)
        return;
    m_energy.push_back(float(m_frameEnergy / m_frameSize));
    m_frameFill = 0;
    m_frameEnergy = 0.0;
}

beatFinder::result beatFinder::finish(qint64 lengthMs) const
{
    const envelope rises(m_energy, 1000.0 * m_frameSize / m_sampleRate);
    return refinement(rises, lengthMs).run(m_tracker->proposed, m_tracker->bpm());
}
