#include "manualclock.h"

manualClock::manualClock(time_point start) : m_now(start) {}

manualClock::guard manualClock::locked() const
{
    return m_lock ? guard(*m_lock) : guard();
}

void manualClock::guardWith(playEngine::stateMutex *lock)
{
    m_lock = lock;
}

manualClock::time_point manualClock::now() const
{
    const auto held = locked();
    return m_now;
}

void manualClock::waitUntil(std::condition_variable_any &wake, playEngine::stateLock &held,
                            time_point deadline)
{
    if (deadline <= m_now)
        return;
    m_waiting = &wake;
    wake.wait(held);
    m_waiting = nullptr;
}

void manualClock::sleepUntil(time_point deadline)
{
    const auto held = locked();
    m_now = std::max(m_now, deadline);
}

void manualClock::advance(duration by)
{
    const auto held = locked();
    m_now += by;
    if (m_waiting)
        m_waiting->notify_all();
}
