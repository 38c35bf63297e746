#include "dmxbox_record.h"
#include "dmxbox.h"
#include "dmxbox_trace.h"

#include <atomic>
#include <cstring>

namespace
{
unsigned char s_lastFrame[512];
unsigned long s_calls = 0;
int s_lastDevice = -1;
std::atomic<int> s_state{DMXBOX_STATE_CONNECTED};
std::atomic<unsigned long> s_stateCalls{0};
} // namespace

extern "C" int DMXSendBox(int device, unsigned char *frame)
{
    dmxbox_traceFrame();
    if (frame)
        std::memcpy(s_lastFrame, frame, sizeof s_lastFrame);
    s_lastDevice = device;
    ++s_calls;
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
    return s_calls;
}

extern "C" int dmxbox_lastDevice(void)
{
    return s_lastDevice;
}

extern "C" void dmxbox_reset(void)
{
    std::memset(s_lastFrame, 0, sizeof s_lastFrame);
    s_calls = 0;
    s_lastDevice = -1;
    s_state = DMXBOX_STATE_CONNECTED;
    s_stateCalls = 0;
}
