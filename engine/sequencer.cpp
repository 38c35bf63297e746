#include "sequencer.h"

#include "faderamp.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace
{
bool validRow(const playShow &show, int row)
{
    return row >= 0 && row < show.rows.size();
}

qint64 nsOf(sequencer::clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

double beatAt(const tempoSnapshot &tempo, sequencer::clock::time_point at)
{
    return double(tempo.beat) + double(nsOf(at) - tempo.beatNs) / double(tempo.periodNs);
}

sequencer::clock::time_point timeOfBeat(const tempoSnapshot &tempo, double beat)
{
    const double ns = double(tempo.beatNs) + (beat - double(tempo.beat)) * double(tempo.periodNs);
    return sequencer::clock::time_point(std::chrono::duration_cast<sequencer::clock::duration>(
        std::chrono::nanoseconds(qint64(std::llround(ns)))));
}
} // namespace

sequencer::outcome sequencer::tick(const playShow &show, const inputs &in)
{
    outcome out;
    // The row being faded was removed: count it as finished and load from where we stand.
    if (!validRow(show, row))
        advance = true;
    if (advance)
        loadNextRow(show, in, out);
    if (validRow(show, row))
        fadePass(show, in, out);
    return out;
}

// Playback started on the range's start row plays the range's first row first, entered from
// its last row as after a wrap but without counting one: every pass, the first too, is the
// same, a repeat count of N plays N whole passes, and a show laid on a song or a timecode
// starts with its first step at time 0.
void sequencer::loadNextRow(const playShow &show, const inputs &in, outcome &out)
{
    // Ends and current row may lie outside the table (an end never chosen, rows removed).
    const int last = show.rows.size() - 1;
    const int start = qBound(0, show.playStart, last);
    const int end = qBound(0, show.playEnd, last);
    const int lo = qMin(start, end);
    const int hi = qMax(start, end);
    // With no current row (-1) playback advances from just before row 0.
    const int c = qBound(-1, row, last);
    if (in.enterRange) {
        row = lo;
        jumpTo(show, lo != hi ? hi : qMax(lo - 1, 0));
    } else if (c < hi) {
        row = static_cast<int>(qBound<qint64>(0, qint64(c) + show.between, hi));
    } else {
        row = lo;
        jumpTo(show, lo != hi ? hi : qMax(lo - 1, 0));
        // One pass of the range ended: one repeat fewer, none counted when none was left.
        if (repeatsLeft > 0) {
            --repeatsLeft;
            out.repeatCounted = true;
        }
    }
    const stepTable &rows = show.rows;
    const int speed = scaledCell(rows.speed(row));
    int fade = atSpeed(scaledCell(rows.fade(row)), in.speed);
    const bool beats = onBeat(in);
    if (beats)
        fade = beatFade(in, fade);
    int ticks = 0;
    // On the beat every step lasts its beats, one with neither hold nor fade too.
    if (speed != 0 || fade != 0 || beats) {
        advance = false;
        ticks = fade > 0 ? fade : 1;
        const stepTable::rowLevels target = rows.levelsIn(row);
        for (int ch = 0; ch < kChannels; ++ch) {
            const int v = levels[ch];
            const int t = target[ch];
            fadeValue[ch] = float(v);
            fadeStep[ch] = fadeStepOf(v, t, ticks);
        }
    }
    out.loaded = true;
    out.load = {repeatsLeft, ticks, row, show.playStart, show.playEnd};
}

void sequencer::jumpTo(const playShow &show, int to)
{
    const stepTable::rowLevels target = show.rows.levelsIn(to);
    for (int c = 0; c < kChannels; ++c)
        setLevel(c, target[c]);
}

void sequencer::fadePass(const playShow &show, const inputs &in, outcome &out)
{
    const stepTable &rows = show.rows;
    const stepTable::rowLevels target = rows.levelsIn(row);
    int done = 0;
    for (int ch = 0; ch < kChannels; ++ch) {
        const int t = target[ch];
        if (in.snap && in.snap[ch]) {
            setLevel(ch, t);
            ++done;
            continue;
        }
        bool arrived = false;
        const int level = fadeTick(levels[ch], t, fadeValue[ch], fadeStep[ch], arrived);
        done += arrived ? 1 : 0;
        setLevel(ch, static_cast<unsigned char>(level));
    }
    out.frame = true;
    if (done >= kChannels)
        advance = true;
    if (!advance)
        return;
    out.holds = true;
    if (onBeat(in) && !std::isnan(beatNext)) {
        out.holdOnBeat = true;
        out.holdUntil = beatHoldEnd(in.tempo);
    } else {
        out.holdMs = atSpeed(rows.speed(row) * 100, in.speed);
    }
}

bool sequencer::onBeat(const inputs &in) const
{
    return in.beats > 0 && in.tempo.periodNs > 0;
}

// The step loaded now ends `beats` beats after it started: on the beat the step before
// ended on, or, first and after the grid moved away (a clock's Start, a pause), on the beat
// nearest to now. The fade keeps its time up to a tick before the step's end.
int sequencer::beatFade(const inputs &in, int fade)
{
    double start = beatNext;
    const double now = beatAt(in.tempo, in.at);
    if (std::isnan(start) || std::abs(start - now) > qMax(1.0, in.beats))
        start = std::round(now);
    beatNext = start + in.beats;
    const auto length = timeOfBeat(in.tempo, beatNext) - in.at;
    const int room = int(qMax<qint64>(1, qint64(length / kTick) - 1));
    return qMin(fade, room);
}

// Read again at every wake, so that a new tempo reaches a hold under way.
sequencer::clock::time_point sequencer::beatHoldEnd(const tempoSnapshot &tempo) const
{
    return timeOfBeat(tempo, beatNext) - kTick;
}

void sequencer::setLevel(int channel, int value)
{
    if (levels[channel] != value) {
        levels[channel] = static_cast<unsigned char>(value);
        dirty.set(static_cast<size_t>(channel));
    }
}
