#ifndef CIMPORT_H
#define CIMPORT_H

#include "showdata.h"

#include <QString>

class QIODevice;

// Reads the C source of an export back: its snap flags and its records as rows.
namespace cImport
{
// What a read found. When it refused the input, error says why and the show is empty.
struct readResult {
    QString error;
    showData show;
};

// Reads the text from the device's position to its end into rows of `columns` cells (at
// least 3); firstId is the number of rows already in the table. A record's values fill the
// cells from the speed on, so channels the export left out move down; a level above 255 is
// kept as 255, the most a channel sends and what the player aims it at. Refused, naming the
// line (and the field), when a declaration is not the export's, a line or field is longer
// than the limits of showlimits.h, a value does not fit the player's unsigned short, or the
// records would take the table past its row limit.
readResult read(QIODevice &in, int columns, int firstId);
} // namespace cImport

#endif
