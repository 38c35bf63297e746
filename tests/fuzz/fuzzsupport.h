#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

#include "showdata.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace fuzz
{
constexpr int kColumns = 515;
constexpr int kFirstId = 2; // as if the table held two rows already

// Reads the input from a buffer with the given reader, then checks what a read must never
// break: a refusal yields nothing, and the rows fit the table.
template <typename Reader> void readInput(const uint8_t *data, size_t size, Reader read)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    const auto result = read(buffer, kColumns, kFirstId);
    const showData &show = result.show;
    if (show.flags.size() > 512)
        std::abort();
    if (!result.error.isEmpty() && (!show.flags.isEmpty() || !show.rows.isEmpty()))
        std::abort();
    if (show.rows.channels() > kColumns - 3 || show.rows.size() > 65535 - kFirstId)
        std::abort();
}
} // namespace fuzz

#endif
