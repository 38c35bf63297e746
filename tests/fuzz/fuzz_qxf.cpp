#include "fuzzdefinition.h"
#include "qxfreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::readDefinition(data, size, qxfReader::read);
    return 0;
}
