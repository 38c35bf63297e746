#ifndef SEQUENCER_H
#define SEQUENCER_H

#include "playshow.h"
#include "syncsnapshot.h"

#include <bitset>
#include <chrono>
#include <limits>

// Where playback stands in a show, and how one tick moves it on: the row, the levels, the
// fade under way, the repeats left and the beat the step ends on, stepped as a function of
// the show as published, the tick's time and what the tick is handed, with no thread, clock
// or window. The output thread runs it under its engine's lock; a test runs it on a show.
// One thread at a time.
class sequencer
{
  public:
    using clock = std::chrono::steady_clock;
    static constexpr int kChannels = 512;
    static constexpr auto kTick = std::chrono::milliseconds(30);

    // What a tick runs with besides the show.
    struct inputs {
        // The tick's deadline.
        clock::time_point at;
        // The speed master.
        double speed = 1.0;
        // The 512 snap flags: a snapped channel jumps to its level.
        const bool *snap = nullptr;
        // Beats per step, 0 for off, and the tempo they follow.
        double beats = 0.0;
        tempoSnapshot tempo;
        // The first tick after a start on the range's start row.
        bool enterRange = false;
    };

    // A row loaded, for the log.
    struct rowLoad {
        uint repeat;
        int ticks;
        int row;
        int start;
        int end;
    };

    // What the tick did, for the output thread to act on.
    struct outcome {
        // The levels make a frame.
        bool frame = false;
        // A row was loaded (see load), and one pass of the range counted.
        bool loaded = false;
        rowLoad load{};
        bool repeatCounted = false;
        // The row has arrived and its hold starts: `holdMs` long, or up to `holdUntil`, on
        // the beat.
        bool holds = false;
        int holdMs = 0;
        bool holdOnBeat = false;
        clock::time_point holdUntil;
    };

    // One tick on a show that has rows.
    outcome tick(const playShow &show, const inputs &in);
    // The levels of `row`, at once.
    void jumpTo(const playShow &show, int row);
    // A level set; the window hears of it (dirty).
    void setLevel(int channel, int value);
    // The end of the hold under way when it is timed by the beats: a tick before the beat
    // its step ends on, so that the next row loads on it.
    clock::time_point beatHoldEnd(const tempoSnapshot &tempo) const;

    // Playback's position, a value its owner reads and writes between ticks.
    int row = -1;
    // The row under way arrived: the next tick loads the next one.
    bool advance = true;
    unsigned char levels[kChannels] = {};
    // The levels changed since the window last heard.
    std::bitset<kChannels> dirty;
    uint repeatsLeft = 0;
    // The beat the step under way ends on; NaN until a step has been timed by the beats.
    double beatNext = std::numeric_limits<double>::quiet_NaN();
    // The fade of the row under way: where each channel stands and what it moves a tick.
    float fadeValue[kChannels] = {};
    float fadeStep[kChannels] = {};

  private:
    void loadNextRow(const playShow &show, const inputs &in, outcome &out);
    void fadePass(const playShow &show, const inputs &in, outcome &out);
    bool onBeat(const inputs &in) const;
    int beatFade(const inputs &in, int fade);
};

#endif
