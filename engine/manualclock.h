#ifndef MANUALCLOCK_H
#define MANUALCLOCK_H

#include "engineclock.h"

// Time that stands still until advance() moves it, for tests and benchmarks: the output
// thread waits for it exactly as for the steady clock, and wakes when it is moved.
// Any thread: now() and advance() take the lock of the engine the clock was handed to; the
// waits are the output thread's.
class manualClock : public engineClock
{
  public:
    // Far enough from the steady clock's epoch that no "long ago" of the engine lies ahead.
    explicit manualClock(time_point start = time_point(std::chrono::hours(1)));

    time_point now() const override;
    void guardWith(playEngine::stateMutex *lock) override;
    void waitUntil(std::condition_variable_any &wake, playEngine::stateLock &held,
                   time_point deadline) override;
    // The thread sleeps only to keep the frames' distance at its end; time passes meanwhile.
    void sleepUntil(time_point deadline) override;
    bool paced() const override { return false; }

    // Moves time on in one go and wakes the waiting thread: a wake-up as late as `by`.
    void advance(duration by);

  private:
    using guard = std::unique_lock<playEngine::stateMutex>;
    guard locked() const;

    // No lock until handed to an engine: one thread alone uses it until then.
    playEngine::stateMutex *m_lock = nullptr;
    // Guarded by the engine's lock, which the waiting thread holds until it sleeps, so that a
    // move can never fall between its look at the time and its wait.
    time_point m_now;
    std::condition_variable_any *m_waiting = nullptr;
};

#endif
