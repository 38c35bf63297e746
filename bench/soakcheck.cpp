// Lays the step starts soakreader saw against the show's own timeline. The frames are
// matched to the timeline's ticks once, on a run of frames at the start; from then on each
// step's first frame is looked for near where the timeline puts it, and its distance from
// there is the drift (ms). Prints, per slice, the median and largest drift and the last one.
// Usage: soakcheck SHOW.dmx FRAMELOG SLICE
#include "dmxformat.h"
#include "showtimeline.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
struct stamped {
    double ms;
    quint64 hash;
    quint16 used;
};

// The frame the patch makes of the levels: the first `sent` channels in their own slots (the
// window's default fixtures, all switched on), the other slots 0.
quint64 levelsHash(const showTimeline::levels &levels, int sent)
{
    quint64 hash = 1469598103934665603ull;
    for (int c = 0; c < showTimeline::kChannels; ++c) {
        hash ^= c < sent ? levels[size_t(c)] : 0;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::vector<stamped> readFrames(const char *path)
{
    std::vector<stamped> changes;
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return changes;
    stamped next{};
    while (file.read(reinterpret_cast<char *>(&next.ms), sizeof next.ms) == sizeof next.ms &&
           file.read(reinterpret_cast<char *>(&next.hash), sizeof next.hash) == sizeof next.hash &&
           file.read(reinterpret_cast<char *>(&next.used), sizeof next.used) == sizeof next.used)
        changes.push_back(next);
    return changes;
}

// The hash of the frame of every tick from the first on, and which ticks load a step whose
// frame differs from the tick before (a start that shows).
struct tickFrames {
    std::vector<quint64> hash;
    std::vector<bool> startShows;
};

tickFrames ticksUntil(const showTimeline &line, double untilMs, int sent)
{
    tickFrames out;
    qint64 lastStep = -1;
    for (qint64 ms = showTimeline::kTickMs; ms <= qint64(untilMs); ms += showTimeline::kTickMs) {
        const showTimeline::position at = line.locate(ms);
        const quint64 hash = levelsHash(line.levelsAt(at), sent);
        out.startShows.push_back(at.step != lastStep && !out.hash.empty() &&
                                 hash != out.hash.back());
        out.hash.push_back(hash);
        lastStep = at.step;
    }
    return out;
}

// The first frame and tick from which `run` frames follow the ticks one for one. Longer than
// a pass of the show, whose levels may repeat within it.
bool align(const std::vector<stamped> &seen, const tickFrames &ticks, size_t run, size_t &frame,
           size_t &tick)
{
    for (frame = 0; frame + run < seen.size() && frame < 2000; ++frame) {
        for (tick = 0; tick + run < ticks.hash.size() && tick < 2000; ++tick) {
            size_t same = 0;
            while (same < run && seen[frame + same].hash == ticks.hash[tick + same])
                ++same;
            if (same == run)
                return true;
        }
    }
    return false;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}
void report(int slice, const std::vector<double> &drifts, int missing)
{
    double worst = 0;
    for (const double drift : drifts)
        worst = std::fabs(drift) > std::fabs(worst) ? drift : worst;
    std::printf("%5d %7zu %13.2f %8.2f %10.2f %9d\n", slice, drifts.size(), median(drifts), worst,
                drifts.empty() ? 0 : drifts.back(), missing);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: soakcheck SHOW.dmx FRAMELOG SLICE\n");
        return 2;
    }
    QFile showFile(QString::fromLocal8Bit(argv[1]));
    if (!showFile.open(QIODevice::ReadOnly))
        return 1;
    const dmxFormat::readResult read = dmxFormat::read(showFile, 515, 0);
    showTimeline::setup setup;
    setup.rows = read.show.rows;
    setup.playEnd = setup.rows.size() - 1;
    for (int c = 0; c < read.show.flags.size() && c < showTimeline::kChannels; ++c)
        setup.snap[size_t(c)] = read.show.flags.at(c) != 0;
    const auto line = showTimeline::build(setup);
    const std::vector<stamped> seen = readFrames(argv[2]);
    if (!line || seen.size() < 100) {
        std::fprintf(stderr, "soakcheck: no show or too few frames\n");
        return 1;
    }
    int sent = 0;
    for (const stamped &frame : seen)
        sent = std::max(sent, int(frame.used));
    const tickFrames ticks = ticksUntil(*line, seen.back().ms + 60000.0, sent);
    size_t frame0 = 0, tick0 = 0;
    const size_t run = size_t(line->periodMs() / showTimeline::kTickMs) + 10;
    if (!align(seen, ticks, run, frame0, tick0)) {
        std::fprintf(stderr, "soakcheck: the frames do not follow the show's timeline\n");
        return 1;
    }
    const double zero = seen[frame0].ms - double(tick0) * showTimeline::kTickMs;
    const double slice = std::atof(argv[3]) * 1e3;
    std::printf("slice  starts  drift median     max    last (ms)   missing\n");
    std::vector<double> drifts;
    int missing = 0;
    int index = 1;
    size_t near = frame0;
    for (size_t k = tick0; k < ticks.hash.size(); ++k) {
        const double due = zero + double(k) * showTimeline::kTickMs;
        if (due > seen.back().ms)
            break;
        if (due >= slice * index) {
            report(index++, drifts, missing);
            drifts.clear();
            missing = 0;
        }
        if (!ticks.startShows[k])
            continue;
        // The frame that should carry it, a few frames either way.
        while (near + 1 < seen.size() && seen[near + 1].ms <= due)
            ++near;
        bool found = false;
        for (size_t i = near > 5 ? near - 5 : 0; i < seen.size() && i <= near + 5; ++i) {
            if (seen[i].hash == ticks.hash[k]) {
                drifts.push_back(seen[i].ms - due);
                found = true;
                break;
            }
        }
        missing += found ? 0 : 1;
    }
    if (!drifts.empty())
        report(index, drifts, missing);
    return 0;
}
