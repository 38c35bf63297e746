#ifndef ENGINETIME_H
#define ENGINETIME_H

#include "dimlist.h"
#include "manualclock.h"
#include "playengine.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>

// Drives the output thread of the test's graph through its manual clock. Every step waits for
// conditions, never for a fixed time: the thread has done what is due and sleeps until its
// next deadline, and the window (this thread) has received what the thread told it. Each
// returns false when that does not happen within ten seconds of real time.

inline playEngine *testEngine()
{
    return g_dimList->engine();
}

inline manualClock *testClock()
{
    return dynamic_cast<manualClock *>(testEngine()->timeSource().get());
}

// The output thread idle and every delivery to the window made. A delivery may wake the
// thread again (a stop on an emptied table), so both are looked at until both hold.
inline bool settleEngine()
{
    playEngine *engine = testEngine();
    const QDeadlineTimer deadline(10000);
    for (;;) {
        if (!engine->waitIdle(std::chrono::milliseconds(deadline.remainingTime())))
            return false;
        if (!engine->newsPending()) {
            // The views as the thread left them, also between two deliveries.
            engine->updateViews();
            return true;
        }
        QCoreApplication::processEvents();
        if (deadline.hasExpired())
            return false;
    }
}

// Moves the clock to the thread's next deadline, or to `limit` if that comes first, as a
// machine that wakes the thread on time does.
inline bool stepClock(engineClock::time_point limit)
{
    manualClock *clock = testClock();
    if (!clock || !settleEngine())
        return false;
    const auto now = clock->now();
    const auto to = std::min(limit, testEngine()->nextWake());
    if (to > now)
        clock->advance(to - now);
    return settleEngine();
}

// Lets `by` of show time pass, waking the thread at each of its deadlines on the way.
inline bool advanceClock(std::chrono::milliseconds by)
{
    manualClock *clock = testClock();
    if (!clock)
        return false;
    const auto until = clock->now() + by;
    while (clock->now() < until) {
        if (!stepClock(until))
            return false;
    }
    return settleEngine();
}

// Lets show time pass until the thread has run `count` more ticks (holds included). False
// also when playback stops first: within ten deadlines per tick the ticks must come.
inline bool runTicks(int count)
{
    const quint64 goal = testEngine()->ticksRun() + quint64(count);
    for (int steps = 10 * count + 10; testEngine()->ticksRun() < goal; --steps) {
        if (steps == 0 || !stepClock(engineClock::time_point::max()))
            return false;
    }
    return settleEngine();
}

#endif
