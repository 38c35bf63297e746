#ifndef QXFREADER_H
#define QXFREADER_H

#include "fixturedef.h"

class QIODevice;

// Reads a QLC+ fixture definition (.qxf).
namespace qxfReader
{
// Reads the XML from the device's position. Refused, with the reason, when it is not a
// fixture definition, a channel or capability lacks a field or has a bad range, a mode names
// a channel the file does not define, or a count passes the limits of fixturedef.h. A channel
// given only by a preset gets one range named after it; a fine byte (group byte 1 or a
// "...Fine" preset) is marked fine. A channel's name keeps the line breaks written into it
// (&#10;); a mode finds its channels by name whatever the white space.
fixtureDef::readResult read(QIODevice &in);
} // namespace qxfReader

#endif
