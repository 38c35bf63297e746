#include "songanalysis.h"

#include <cmath>

bool songAnalysis::operator==(const songAnalysis &other) const
{
    return lengthMs == other.lengthMs && sampleRate == other.sampleRate &&
           channels == other.channels && tempoBpm == other.tempoBpm &&
           firstBeatMs == other.firstBeatMs && beats == other.beats && peaks == other.peaks;
}

bool songLink::operator==(const songLink &other) const
{
    return path == other.path && lengthMs == other.lengthMs && tempoBpm == other.tempoBpm &&
           firstBeatMs == other.firstBeatMs && tempoCorrected == other.tempoCorrected &&
           firstBeatCorrected == other.firstBeatCorrected && beats == other.beats;
}

QVector<double> beatGrid::beats(double tempoBpm, double firstBeatMs, qint64 lengthMs)
{
    QVector<double> out;
    if (!(tempoBpm >= songLimits::kMinBpm && tempoBpm <= songLimits::kMaxBpm) ||
        !std::isfinite(firstBeatMs))
        return out;
    const double period = 60000.0 / tempoBpm;
    // Each beat from its index, so that a long song gathers no rounding; none before 0.
    const qint64 start = firstBeatMs < 0 ? qint64(std::ceil(-firstBeatMs / period)) : 0;
    for (qint64 k = start;; ++k) {
        const double at = firstBeatMs + double(k) * period;
        if (at >= double(lengthMs))
            break;
        out.append(at);
    }
    return out;
}
