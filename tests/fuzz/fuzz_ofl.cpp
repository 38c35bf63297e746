#include "fuzzdefinition.h"
#include "oflreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::readDefinition(data, size,
                         [](QIODevice &in) { return oflReader::read(in, QStringLiteral("M")); });
    return 0;
}
