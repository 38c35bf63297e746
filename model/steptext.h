#ifndef STEPTEXT_H
#define STEPTEXT_H

#include "showdata.h"

#include <QString>

// Steps as text, one line per step: speed, fade and levels, tab-separated, as a spreadsheet
// takes and gives them back.
namespace stepText
{
// What a read found. When it refused the text, error says why and there are no rows.
struct readResult {
    QString error;
    stepTable rows;
};

// Reads the steps into rows of at most `columns` cells (at least 3); at most
// `room` of them fit the table. Values above the window's tops are taken as the tops, as a
// typed cell does; anything else that is no step is refused with its line and field.
readResult read(const QString &text, int columns, int room);
} // namespace stepText

#endif
