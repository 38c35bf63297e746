#include "dmxbox.h"
#include "dmxbox_trace.h"
#include "olaoutput.h"

// Device d is OLA universe d + 1; the result tells whether the frame reached olad.
extern "C" int DMXSendBox(int device, unsigned char *frame)
{
    dmxbox_traceFrame();
    return olaOutput::instance().send(device, frame);
}

extern "C" int DMXBoxState(int device)
{
    return olaOutput::instance().state(device);
}

extern "C" int DMXCloseBox(void)
{
    return olaOutput::instance().shutdown();
}
