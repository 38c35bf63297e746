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
    for (const StepRow *row : read.rows) {
        if (row->size() != fuzz::kColumns || row->at(0) != 0 ||
            row->at(1) > showLimits::kMaxSpeed || row->at(2) > showLimits::kMaxFade)
            std::abort();
        for (int c = 3; c < row->size(); ++c)
            if (row->at(c) > showLimits::kMaxLevel)
                std::abort();
    }
    qDeleteAll(read.rows);
    return 0;
}
