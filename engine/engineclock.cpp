#include "engineclock.h"

#include <thread>

engineClock::time_point engineClock::now() const
{
    return std::chrono::steady_clock::now();
}

void engineClock::waitUntil(std::condition_variable_any &wake, playEngine::stateLock &held,
                            time_point deadline)
{
    wake.wait_until(held, deadline);
}

void engineClock::sleepUntil(time_point deadline)
{
    std::this_thread::sleep_until(deadline);
}
