#ifndef SHOWTIMELINE_H
#define SHOWTIMELINE_H

#include "steptable.h"

#include <QtGlobal>

#include <array>
#include <memory>
#include <vector>

// Where a free-running playback stands any time after its range started, and the frame it
// sends then, computed from the steps' durations instead of by running the ticks before:
// what the timecode chase and a song's timeline show. Time 0 is the first tick after
// playback is switched on with the range's start row picked: the tick that loads the first
// step, the range's first row, entered from its last row as after a wrap. The
// steps of the first passes are laid out once, up to the pass from which every pass repeats
// the one before.
// Const once built: the GUI thread builds it, the output thread reads it through a
// shared_ptr<const> and no lock of its own.
class showTimeline
{
  public:
    static constexpr int kChannels = 512;
    static constexpr int kTickMs = 30;

    // What playback runs: a copy of the table (shared until one side writes), the range as
    // the model holds it, the stride, the repeat count, the snap flags and the speed master.
    struct setup {
        stepTable rows;
        int playStart = 0;
        int playEnd = -1;
        uint between = 1;
        uint repeat = 0;
        std::array<bool, kChannels> snap{};
        double speed = 1.0;
    };

    struct position {
        bool beforeStart = true;
        // The repeat count ran out at `step`: playback stopped there.
        bool finished = false;
        qint64 step = -1; // steps loaded since the start, less one
        int row = -1;
        qint64 tick = 0; // ticks into the step, 0 being the one that loaded it
        bool holding = false;
        uint repeat = 0;
    };

    using levels = std::array<quint8, kChannels>;

    // Null on an empty table.
    static std::shared_ptr<const showTimeline> build(const setup &show);

    position locate(qint64 ms) const;
    // The levels after the tick `at` stands on.
    levels levelsAt(const position &at) const;
    // One step as a timeline of the show draws it: its row, and where it starts and how long
    // it plays (fade and hold, at the setup's speed), in ms from the start of its pass.
    struct span {
        int row = 0;
        qint64 startMs = 0;
        qint64 lengthMs = 0;
        bool operator==(const span &other) const
        {
            return row == other.row && startMs == other.startMs && lengthMs == other.lengthMs;
        }
    };
    // The steps of one pass of the range: its first row first, entered from its last row's
    // levels. The first pass starts at time 0, so these are also the first pass's times.
    std::vector<span> pass() const;

    // The length of one pass once passes repeat, and of what comes before it.
    qint64 periodMs() const { return m_periodMs; }
    qint64 leadMs() const { return m_leadMs; }

  private:
    struct state {
        levels level{};
        std::array<float, kChannels> value{};
        std::array<float, kChannels> step{};
        bool operator==(const state &other) const;
    };
    struct stepRecord {
        qint64 startMs = 0; // from the first load
        qint64 arrival = 0; // the tick on which every channel has arrived
        qint32 row = 0;
        qint32 ticks = 0; // of the fade as set up; 0 for a row with neither hold nor fade
        qint32 holdMs = 0;
        bool wrap = false;
        // The first step: entered from the range's last row like a wrap, but not counted as
        // one.
        bool enter = false;
        bool jumps() const { return wrap || enter; }
        qint64 wraps = 0; // wraps from the start through this step
        qint64 durationMs() const { return kTickMs * (arrival + 1) + holdMs; }
    };
    struct mark {
        qint64 index;
        state before;
    };

    setup m_show;
    int m_lo = 0;
    int m_hi = 0;
    int m_wrapFrom = 0;
    int m_first = 0;
    levels m_start{};
    std::vector<stepRecord> m_steps;
    std::vector<mark> m_marks;
    // Steps [m_loop, m_steps.size()) repeat for ever.
    qint64 m_loop = 0;
    qint64 m_leadMs = 0;
    qint64 m_periodMs = 0;
    qint64 m_leadWraps = 0;
    qint64 m_loopWraps = 0;

    showTimeline() = default;
    void layOut();
    void load(stepRecord &step, state &now) const;
    void jump(const stepRecord &step, state &now) const;
    void replay(const stepRecord &step, state &now) const;
    void finishStep(const stepRecord &step, state &now) const;
    qint64 arrivalOf(const stepRecord &step, const state &loaded) const;
    const state *markAt(qint64 index) const;
    qint64 stateBefore(qint64 index, state &out) const;
    qint64 loopLength() const;
    qint64 recordOf(qint64 step, qint64 *passes = nullptr) const;
    qint64 startOf(qint64 step) const;
    qint64 stepAt(qint64 fromFirstLoad) const;
    qint64 wrapsThrough(qint64 step) const;
    qint64 wrapStep(qint64 count) const;
};

#endif
