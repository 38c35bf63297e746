#ifndef OFLREADER_H
#define OFLREADER_H

#include "fixturedef.h"

#include <QHash>

class QIODevice;

// Reads an Open Fixture Library fixture (JSON, schema version 12).
namespace oflReader
{
// Reads the JSON from the device's position. The file does not name its manufacturer (its
// folder does), so the caller gives it; when it gives none, the file's manufacturerKey is used.
// Channels come in each mode's order, fine channels (fineChannelAliases) marked fine, ranges given
// at a finer resolution scaled to one byte, a switching channel as its default channel. A range is
// named by its comment, or else by its type and descriptive fields. Refused, with the reason, for
// matrix fixtures (template channels or a matrix), redirects, a mode naming an unknown channel,
// missing or broken fields and counts past the limits of fixturedef.h.
fixtureDef::readResult read(QIODevice &in, const QString &manufacturer);

// The manufacturer names of an OFL tree's manufacturers.json, by key.
QHash<QString, QString> readManufacturers(QIODevice &in);
} // namespace oflReader

#endif
