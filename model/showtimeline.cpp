#include "showtimeline.h"

#include "faderamp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace
{
// Laying out stops once the state before a pass is one seen before. Passes can go on
// changing for a while: a row with neither hold nor fade moves by the last fade's steps, and
// its levels close in on where they settle a little each pass. So a show is laid out for at
// least kMinMarks passes, and on while the steps laid out stay within kStepBudget, up to
// kMaxMarks passes or kMaxSteps steps; a show whose passes have not repeated by then is
// taken to repeat its last one.
constexpr int kMinMarks = 8;
constexpr int kMaxMarks = 256;
constexpr qint64 kStepBudget = 4000;
constexpr qint64 kMaxSteps = 4000000;
// Up to this many ticks a fade's rounding stays far below a level: it ends by its last tick.
constexpr qint64 kExactTicks = 10000;
} // namespace

bool showTimeline::state::operator==(const state &other) const
{
    return level == other.level &&
           std::memcmp(value.data(), other.value.data(), sizeof(float) * kChannels) == 0 &&
           std::memcmp(step.data(), other.step.data(), sizeof(float) * kChannels) == 0;
}

std::shared_ptr<const showTimeline> showTimeline::build(const setup &show)
{
    if (show.rows.isEmpty())
        return nullptr;
    std::shared_ptr<showTimeline> line(new showTimeline);
    line->m_show = show;
    line->layOut();
    return line;
}

// Runs the loads as the engine makes them, a step at a time, until the state before a wrap
// (or, with a stride of 0, before any load) is one seen before: from there on it repeats.
void showTimeline::layOut()
{
    const stepTable &rows = m_show.rows;
    const int last = rows.size() - 1;
    const int start = qBound(0, m_show.playStart, last);
    const int end = qBound(0, m_show.playEnd, last);
    m_lo = qMin(start, end);
    m_hi = qMax(start, end);
    m_wrapFrom = m_lo != m_hi ? m_hi : qMax(m_lo - 1, 0);
    m_first = start;
    state now;
    const stepTable::rowLevels first = rows.levelsIn(m_first);
    for (int ch = 0; ch < kChannels; ++ch)
        m_start[size_t(ch)] = first[ch];
    now.level = m_start;
    int current = m_first;
    qint64 elapsed = 0;
    qint64 wraps = 0;
    m_loop = -1;
    for (qint64 index = 0; m_loop < 0; ++index) {
        stepRecord step;
        // Playback enters the range's first row first, as after a wrap.
        step.enter = index == 0;
        step.wrap = !step.enter && current >= m_hi;
        if (step.jumps())
            step.row = m_lo;
        else
            step.row = int(qMin<qint64>(qint64(current) + m_show.between, m_hi));
        if (step.wrap || m_show.between == 0) {
            for (const mark &seen : m_marks) {
                const stepRecord &then = m_steps[size_t(seen.index)];
                if (then.row == step.row && then.wrap == step.wrap && seen.before == now)
                    m_loop = seen.index;
            }
            if (m_loop >= 0)
                break;
            const int marks = int(m_marks.size());
            if (marks >= kMaxMarks || (marks >= kMinMarks && index >= kStepBudget) ||
                index >= kMaxSteps) {
                m_loop = m_marks.empty() ? 0 : m_marks.back().index;
                break;
            }
            m_marks.push_back({index, now});
        } else if (index == 0) {
            m_marks.push_back({index, now});
        }
        wraps += step.wrap ? 1 : 0;
        step.startMs = elapsed;
        step.wraps = wraps;
        load(step, now);
        elapsed += step.durationMs();
        m_steps.push_back(step);
        current = step.row;
    }
    m_leadMs = m_steps[size_t(m_loop)].startMs;
    m_periodMs = elapsed - m_leadMs;
    m_leadWraps = m_loop > 0 ? m_steps[size_t(m_loop - 1)].wraps : 0;
    m_loopWraps = wraps - m_leadWraps;
}

// The step's timing, and `now` taken from before its load to after its last tick.
void showTimeline::load(stepRecord &step, state &now) const
{
    const stepTable &rows = m_show.rows;
    const int speed = scaledCell(rows.speed(step.row));
    const int fade = atSpeed(scaledCell(rows.fade(step.row)), m_show.speed);
    step.holdMs = atSpeed(rows.speed(step.row) * 100, m_show.speed);
    step.ticks = speed != 0 || fade != 0 ? (fade > 0 ? fade : 1) : 0;
    jump(step, now);
    step.arrival = step.ticks > 0 ? arrivalOf(step, now) : 0;
    finishStep(step, now);
}

// A wrap puts the levels of the row the loop comes from on first.
void showTimeline::jump(const stepRecord &step, state &now) const
{
    if (!step.jumps())
        return;
    const stepTable::rowLevels from = m_show.rows.levelsIn(m_wrapFrom);
    for (int ch = 0; ch < kChannels; ++ch)
        now.level[size_t(ch)] = from[ch];
}

void showTimeline::replay(const stepRecord &step, state &now) const
{
    jump(step, now);
    finishStep(step, now);
}

// A row with a fade sets it up from the levels it finds and ends with every channel on its
// target; a row with neither hold nor fade gets one tick of the steps left from before.
void showTimeline::finishStep(const stepRecord &step, state &now) const
{
    const stepTable::rowLevels target = m_show.rows.levelsIn(step.row);
    for (int ch = 0; ch < kChannels; ++ch) {
        const size_t c = size_t(ch);
        const int t = target[ch];
        if (step.ticks > 0) {
            now.value[c] = float(now.level[c]);
            now.step[c] = fadeStepOf(now.level[c], t, step.ticks);
            if (!m_show.snap[c])
                now.value[c] = float(t);
            now.level[c] = quint8(t);
        } else if (m_show.snap[c]) {
            now.level[c] = quint8(t);
        } else {
            bool arrived = false;
            now.level[c] = quint8(fadeTick(now.level[c], t, now.value[c], now.step[c], arrived));
        }
    }
}

// The tick on which the slowest channel arrives. Rounding moves a channel's arrival by a
// little from where exact arithmetic puts it, so only the channels that could be the
// slowest are worked out exactly, likeliest first; none arrives after the fade's last tick
// while the rounding stays below a level over the fade.
qint64 showTimeline::arrivalOf(const stepRecord &step, const state &loaded) const
{
    struct guess {
        qint64 high;
        int channel;
        bool operator<(const guess &other) const { return high > other.high; }
    };
    std::vector<guess> guesses;
    guesses.reserve(kChannels);
    qint64 surely = 0;
    const qint64 n = step.ticks;
    const stepTable::rowLevels target = m_show.rows.levelsIn(step.row);
    for (int ch = 0; ch < kChannels; ++ch) {
        const int v = loaded.level[size_t(ch)];
        const int t = target[ch];
        const qint64 d = qAbs(t - v);
        if (m_show.snap[size_t(ch)] || d <= 1)
            continue;
        const qint64 exact = v < t ? (n * (d - 1) + d - 1) / d : n * (d - 2) / d + 1;
        const qint64 slack = 2 + qint64(std::ceil(double(n) * double(n) / (double(d) * 65536.0)));
        guesses.push_back({exact + slack, ch});
        surely = qMax(surely, exact - slack);
    }
    std::sort(guesses.begin(), guesses.end());
    const qint64 latest = n <= kExactTicks ? n : std::numeric_limits<qint64>::max();
    qint64 arrival = 0;
    for (const guess &g : guesses) {
        if (g.high < qMax(surely, arrival) || arrival >= latest)
            break;
        const int v = loaded.level[size_t(g.channel)];
        const int t = m_show.rows.level(step.row, g.channel);
        arrival = qMax(arrival, rampArrival(v, t, fadeStepOf(v, t, step.ticks)));
    }
    return arrival;
}

const showTimeline::state *showTimeline::markAt(qint64 index) const
{
    for (const mark &m : m_marks) {
        if (m.index == index)
            return &m.before;
    }
    return nullptr;
}

// The state before a step's load, from the nearest step before it whose own start the
// table tells: a mark, or a fading row that followed a wrap or another fading row.
qint64 showTimeline::stateBefore(qint64 index, state &out) const
{
    qint64 from = index;
    for (;;) {
        if (const state *known = markAt(from)) {
            out = *known;
            break;
        }
        const stepRecord &before = m_steps[size_t(from - 1)];
        const bool known = before.jumps() ||
                           (from >= 2 && !markAt(from - 1) && m_steps[size_t(from - 2)].ticks > 0);
        if (before.ticks > 0 && known) {
            if (!before.jumps()) {
                for (int ch = 0; ch < kChannels; ++ch)
                    out.level[size_t(ch)] = m_show.rows.level(m_steps[size_t(from - 2)].row, ch);
            }
            replay(before, out);
            break;
        }
        --from;
    }
    for (qint64 i = from; i < index; ++i)
        replay(m_steps[size_t(i)], out);
    return from;
}

qint64 showTimeline::loopLength() const
{
    return qint64(m_steps.size()) - m_loop;
}

// Steps past those laid out are the loop's, a whole number of passes later.
qint64 showTimeline::recordOf(qint64 step, qint64 *passes) const
{
    const qint64 later = step < qint64(m_steps.size()) ? 0 : (step - m_loop) / loopLength();
    if (passes)
        *passes = later;
    return step - later * loopLength();
}

qint64 showTimeline::startOf(qint64 step) const
{
    qint64 passes = 0;
    const qint64 record = recordOf(step, &passes);
    return m_steps[size_t(record)].startMs + passes * m_periodMs;
}

qint64 showTimeline::wrapsThrough(qint64 step) const
{
    qint64 passes = 0;
    const qint64 record = recordOf(step, &passes);
    return m_steps[size_t(record)].wraps + passes * m_loopWraps;
}

// The step under way `fromFirstLoad` ms after the first load.
qint64 showTimeline::stepAt(qint64 fromFirstLoad) const
{
    auto search = [this](qint64 from, qint64 ms) {
        const auto after =
            std::upper_bound(m_steps.begin() + from, m_steps.end(), ms,
                             [](qint64 at, const stepRecord &step) { return at < step.startMs; });
        return qint64(after - m_steps.begin()) - 1;
    };
    if (fromFirstLoad < m_leadMs)
        return search(0, fromFirstLoad);
    const qint64 passes = (fromFirstLoad - m_leadMs) / m_periodMs;
    const qint64 record = search(m_loop, fromFirstLoad - passes * m_periodMs);
    return record + passes * loopLength();
}

// The step on which the count-th wrap happens; -1 when none ever does.
qint64 showTimeline::wrapStep(qint64 count) const
{
    auto firstWith = [this](qint64 from, qint64 wraps) {
        const auto it = std::lower_bound(m_steps.begin() + from, m_steps.end(), wraps,
                                         [](const stepRecord &s, qint64 w) { return s.wraps < w; });
        return qint64(it - m_steps.begin());
    };
    if (count <= m_leadWraps)
        return firstWith(0, count);
    if (m_loopWraps == 0)
        return -1;
    const qint64 inLoop = count - m_leadWraps;
    const qint64 passes = (inLoop - 1) / m_loopWraps;
    const qint64 record = firstWith(m_loop, m_leadWraps + (inLoop - 1) % m_loopWraps + 1);
    return record + passes * loopLength();
}

std::vector<showTimeline::span> showTimeline::pass() const
{
    const auto first = std::find_if(m_steps.begin(), m_steps.end(),
                                    [](const stepRecord &step) { return step.jumps(); });
    std::vector<span> spans;
    for (auto step = first; step != m_steps.end(); ++step) {
        if (step != first && step->wrap)
            break;
        spans.push_back({step->row, step->startMs - first->startMs, step->durationMs()});
    }
    return spans;
}

showTimeline::position showTimeline::locate(qint64 ms) const
{
    position at;
    at.repeat = m_show.repeat;
    at.row = m_first;
    if (ms < 0)
        return at;
    at.beforeStart = false;
    at.step = stepAt(ms);
    const qint64 wraps = wrapsThrough(at.step);
    if (m_show.repeat > 0 && wraps >= qint64(m_show.repeat)) {
        // Playback stops on the wrap that counts the last repeat: its first frame stays.
        at.finished = true;
        at.step = wrapStep(m_show.repeat);
        at.repeat = 0;
        at.row = m_steps[size_t(recordOf(at.step))].row;
        return at;
    }
    at.repeat = uint(qMax<qint64>(0, qint64(m_show.repeat) - wraps));
    const stepRecord &step = m_steps[size_t(recordOf(at.step))];
    at.row = step.row;
    at.tick = qMin((ms - startOf(at.step)) / kTickMs, step.arrival);
    at.holding = at.tick >= step.arrival;
    return at;
}

showTimeline::levels showTimeline::levelsAt(const position &at) const
{
    if (at.beforeStart)
        return m_start;
    const qint64 record = recordOf(at.step);
    const stepRecord &step = m_steps[size_t(record)];
    state now;
    stateBefore(record, now);
    jump(step, now);
    if (step.ticks == 0) {
        finishStep(step, now);
        return now.level;
    }
    levels out;
    const stepTable::rowLevels target = m_show.rows.levelsIn(step.row);
    for (int ch = 0; ch < kChannels; ++ch) {
        const size_t c = size_t(ch);
        const int t = target[ch];
        const int v = now.level[c];
        const float stepSize = fadeStepOf(v, t, step.ticks);
        const int before = static_cast<int>(rampAfter(float(v), stepSize, float(t), at.tick));
        if (m_show.snap[c] || (before >= t - 1 && before <= t + 1))
            out[c] = quint8(t);
        else
            out[c] = quint8(static_cast<int>(rampAfter(float(v), stepSize, float(t), at.tick + 1)));
    }
    return out;
}
