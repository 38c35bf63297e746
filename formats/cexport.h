#ifndef CEXPORT_H
#define CEXPORT_H

#include "showdata.h"

#include <QString>

class QIODevice;

// C source for the embedded player: the snap flags, the record count and every S-th row of
// a range as an array, against the player's header "dmx.h".
namespace cExport
{
// Which rows an export writes and under which name.
struct layout {
    // The prefix of the three C identifiers.
    QByteArray id;
    // One entry per channel of the flags: true when the patch sends it. The records hold
    // the sent channels only, packed; a channel without an entry is not sent.
    QVector<bool> sent;
    // The rows first..last in either order, clamped into the table, every stride-th one.
    int first = 0;
    int last = 0;
    qint64 stride = 1;
};

// The prefix made of a chosen file name.
QByteArray identifier(QString name);

// The records an export of this range writes: every stride-th row and the closing record.
qint64 records(const showData &show, const layout &range);

// Why the player could not take this export (its record count or channel count does not fit
// the player header's types); empty when it can.
QString problem(const showData &show, const layout &range);

// False when the device did not take every byte, or, writing nothing, when problem() has a
// reason.
bool write(QIODevice &out, const showData &show, const layout &range);
} // namespace cExport

#endif
