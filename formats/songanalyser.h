#ifndef SONGANALYSER_H
#define SONGANALYSER_H

#include "songanalysis.h"

#include <QString>

#include <functional>

// A song read whole once, a block at a time: its length, its waveform summary and its beats.
// Plain functions over the file alone, for a worker thread or the command line.
namespace songAnalyser
{
// Enough stretches for a timeline as wide as a screen, a few kB.
constexpr int kPeakStretches = 4096;

// Told the share of the song read (0 to 1) each time it grows by a hundredth; false stops
// the analysis.
using progress = std::function<bool(double done)>;

// False, with the reason in `error` (libsndfile's, the length limit, or "stopped"), for a
// file it could not read whole. The peaks cut the length the file's header gives into
// `stretches` equal parts.
bool analyse(const QString &path, songAnalysis &out, QString &error,
             const progress &report = nullptr, int stretches = kPeakStretches);
} // namespace songAnalyser

#endif
