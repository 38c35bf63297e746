#include "fuzzsupport.h"
#include "showlimits.h"
#include "steptext.h"

#include <QString>

// Pasted step text: a refusal yields nothing, and every step fits the table's width and
// room with its values within the window's tops.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const int room = showLimits::kMaxRows - fuzz::kFirstId;
    const stepText::readResult read = stepText::read(text, fuzz::kColumns, room);
    if (!read.error.isEmpty() && !read.rows.isEmpty())
        std::abort();
    if (read.rows.size() > room)
        std::abort();
    if (read.rows.channels() > fuzz::kColumns - 3)
        std::abort();
    for (int r = 0; r < read.rows.size(); ++r) {
        if (read.rows.speed(r) > showLimits::kMaxSpeed || read.rows.fade(r) > showLimits::kMaxFade)
            std::abort();
    }
    return 0;
}
