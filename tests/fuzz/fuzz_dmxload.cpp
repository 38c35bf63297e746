#include "dmxformat.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::readInput(data, size, dmxFormat::read);
    return 0;
}
