#include "dmxbox_trace.h"

#include <ctime>
#include <vector>

namespace
{
std::vector<long long> *s_times = nullptr;
} // namespace

extern "C" void dmxbox_traceStart(unsigned long capacity)
{
    delete s_times;
    s_times = new std::vector<long long>();
    s_times->reserve(capacity);
}

extern "C" void dmxbox_traceStop(void)
{
    delete s_times;
    s_times = nullptr;
}

extern "C" unsigned long dmxbox_traceCount(void)
{
    return s_times ? s_times->size() : 0;
}

extern "C" const long long *dmxbox_traceTimes(void)
{
    return s_times ? s_times->data() : nullptr;
}

extern "C" void dmxbox_traceFrame(void)
{
    // Recording stops at the reserved capacity so a send never allocates.
    if (!s_times || s_times->size() == s_times->capacity())
        return;
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    s_times->push_back(static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
}
