#include "cimport.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::readInput(data, size, cImport::read);
    return 0;
}
