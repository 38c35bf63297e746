#ifndef DMXFORMAT_H
#define DMXFORMAT_H

#include "showdata.h"

#include <QString>

class QIODevice;

// The binary show file: a header with the channel and row counts, the snap flags, one
// record per row, then an optional fixture block and an optional song block.
namespace dmxFormat
{
// What a read found. When it refused the input, error says why and the show is empty.
struct readResult {
    QString error;
    // The tag or version is not this layout's: an older show or no show at all.
    bool olderLayout = false;
    // The bytes after the rows are no fixture block; the rows before them are good.
    bool fixturesDamaged = false;
    // The bytes after the rows and fixtures began a song block but were none; the song link
    // is left empty, the rows and fixtures are good.
    bool songDamaged = false;
    showData show;
};

// Writes the flags' count of channels of every row; a row's cells beyond its end count as
// 0 and levels keep their low byte. No fixture block without fixtures, no song block without
// a song. False when the device did not take every byte.
bool write(QIODevice &out, const showData &show);

// Reads from the device's position to its end into rows of `columns` cells (at least 3);
// firstId is the number of rows already in the table. A file whose rows would take the
// table past its limit, or with more channels than a show holds, is refused before anything
// is allocated (see showlimits.h). Channels without a cell or beyond the 512 of a universe are
// skipped, so the flags hold only the channels kept.
readResult read(QIODevice &in, int columns, int firstId);
} // namespace dmxFormat

#endif
