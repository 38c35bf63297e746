#ifndef FUZZDEFINITION_H
#define FUZZDEFINITION_H

#include "fixturedef.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace fuzz
{
// Reads the input with a definition reader, then checks what a read must never break: a
// refusal yields nothing, and whatever loads keeps within the limits with modes that refer
// only to channels it has.
template <typename Reader> void readDefinition(const uint8_t *data, size_t size, Reader read)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    const fixtureDef::readResult result = read(buffer);
    const fixtureDef::definition &def = result.def;
    if (!result.error.isEmpty()) {
        if (!def.modes.isEmpty() || !def.channels.isEmpty())
            std::abort();
        return;
    }
    if (def.modes.isEmpty() || def.modes.size() > fixtureDef::kMaxModes ||
        def.channels.size() > fixtureDef::kMaxChannels)
        std::abort();
    for (const fixtureDef::mode &mode : def.modes) {
        if (mode.channels.isEmpty() || mode.channels.size() > fixtureDef::kMaxChannels)
            std::abort();
        for (int index : mode.channels)
            if (index < 0 || index >= def.channels.size())
                std::abort();
    }
    for (const fixtureDef::channel &channel : def.channels) {
        if (channel.capabilities.size() > fixtureDef::kMaxCapabilities ||
            channel.name.size() > fixtureDef::kMaxNameLength)
            std::abort();
        for (const fixtureDef::capability &range : channel.capabilities)
            if (range.min < 0 || range.min > range.max || range.max > fixtureDef::kMaxValue)
                std::abort();
    }
}
} // namespace fuzz

#endif
