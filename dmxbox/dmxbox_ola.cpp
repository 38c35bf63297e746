#include "dmxbox.h"
#include "olaoutput.h"

// Device d is OLA universe d + 1; the result tells whether the frame reached olad.
extern "C" int DMXSendBox(int device, unsigned char *frame)
{
    return olaOutput::instance().send(device, frame);
}
