#include "manualclock.h"

manualClock::manualClock(time_point start) : m_now(start) {}

manualClock::time_point manualClock::now() const
{
    const auto held = playEngine::lock();
    return m_now;
}

void manualClock::waitUntil(std::condition_variable_any &wake, playEngine::tableLock &held,
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
    const auto held = playEngine::lock();
    m_now = std::max(m_now, deadline);
}

void manualClock::advance(duration by)
{
    const auto held = playEngine::lock();
    m_now += by;
    if (m_waiting)
        m_waiting->notify_all();
}
