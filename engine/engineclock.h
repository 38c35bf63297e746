#ifndef ENGINECLOCK_H
#define ENGINECLOCK_H

#include "playengine.h"

#include <chrono>
#include <condition_variable>

// The time the output thread keeps: the machine's steady clock. Tests hand the engine a
// clock of their own (manualClock) that moves only when they say, so that they run the very
// thread the program runs and still know to the millisecond when each tick is due.
// now() from any thread; the waits on the output thread only.
class engineClock
{
  public:
    using time_point = std::chrono::steady_clock::time_point;
    using duration = std::chrono::steady_clock::duration;

    engineClock() = default;
    engineClock(const engineClock &) = delete;
    engineClock &operator=(const engineClock &) = delete;
    virtual ~engineClock() = default;

    virtual time_point now() const;
    // The engine's lock, under which the output thread looks at the time and waits: a clock
    // that others move guards its time with it. Before the thread starts.
    virtual void guardWith(playEngine::stateMutex *lock) { Q_UNUSED(lock) }
    // On the output thread, with `held` locked: blocks on `wake` until `deadline` or a
    // notification, whichever comes first. May return early; the caller looks again.
    virtual void waitUntil(std::condition_variable_any &wake, playEngine::stateLock &held,
                           time_point deadline);
    // On the output thread, without the engine's lock: lets time pass until `deadline`.
    virtual void sleepUntil(time_point deadline);
    // Whether the thread keeping this time should ask for real-time priority.
    virtual bool paced() const { return true; }
};

#endif
