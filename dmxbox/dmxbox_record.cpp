#include "dmxbox_record.h"
#include "dmxbox.h"
#include "dmxbox_trace.h"

#include <atomic>
#include <cstring>
#include <mutex>

namespace
{
// Frames may come from an output thread while a test reads them on its own.
std::mutex s_mutex;
unsigned char s_lastFrame[512];
unsigned long s_calls = 0;
int s_lastDevice = -1;
std::atomic<int> s_state{DMXBOX_STATE_CONNECTED};
std::atomic<unsigned long> s_stateCalls{0};
dmxbox_frameHook s_hook = nullptr;
void *s_hookContext = nullptr;
} // namespace

extern "C" int DMXSendBox(int device, unsigned char *frame)
{
    const std::lock_guard<std::mutex> held(s_mutex);
    dmxbox_traceFrame();
    if (frame)
        std::memcpy(s_lastFrame, frame, sizeof s_lastFrame);
    s_lastDevice = device;
    ++s_calls;
    if (s_hook)
        s_hook(frame, s_hookContext);
    return 1;
}

extern "C" int DMXBoxState(int device)
{
    ++s_stateCalls;
    return device == 0 ? s_state.load() : DMXBOX_STATE_UNKNOWN;
}

extern "C" void dmxbox_setState(int state)
{
    s_state = state;
}

extern "C" unsigned long dmxbox_stateCalls(void)
{
    return s_stateCalls;
}

extern "C" int DMXCloseBox(void)
{
    return 1;
}

extern "C" const unsigned char *dmxbox_lastFrame(void)
{
    return s_lastFrame;
}

extern "C" unsigned long dmxbox_callCount(void)
{
    const std::lock_guard<std::mutex> held(s_mutex);
    return s_calls;
}

extern "C" int dmxbox_lastDevice(void)
{
    const std::lock_guard<std::mutex> held(s_mutex);
    return s_lastDevice;
}

extern "C" void dmxbox_reset(void)
{
    const std::lock_guard<std::mutex> held(s_mutex);
    std::memset(s_lastFrame, 0, sizeof s_lastFrame);
    s_calls = 0;
    s_lastDevice = -1;
    s_state = DMXBOX_STATE_CONNECTED;
    s_stateCalls = 0;
}

extern "C" void dmxbox_setFrameHook(dmxbox_frameHook hook, void *context)
{
    const std::lock_guard<std::mutex> held(s_mutex);
    s_hook = hook;
    s_hookContext = context;
}
