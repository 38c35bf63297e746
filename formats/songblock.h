#ifndef SONGBLOCK_H
#define SONGBLOCK_H

#include "songanalysis.h"

#include <QByteArray>
#include <QString>

// The show file's song block, after the rows and the fixture block: the tag "SONGLINK", a
// signed 32-bit count of the bytes after it, a version byte, a byte of flags (1: tempo set
// by hand, 2: first beat set by hand), the song's path (16-bit count and UTF-8), its length
// in ms (64 bits), the tempo and the first beat, then a 32-bit count of beats and each beat
// in ms; numbers big-endian, the ones with fractions IEEE doubles. Readers that stop after
// the rows never see it; those that stop after the fixture block take it for a damaged one
// and still open the rows.
namespace songBlock
{
constexpr quint8 kVersion = 1;
// More than a Linux path holds, more beats than a song of the longest at the fastest tempo.
constexpr int kMaxPathBytes = 4096;
constexpr int kMaxBeats = 16384;
constexpr int kMaxSize = 12 + 2 + 2 + kMaxPathBytes + 3 * 8 + 4 + kMaxBeats * 8;

// Empty for a show without a song. A tempo, time or beat no reader would take back is written
// as not known (0, or left out), and so are beats past kMaxBeats.
QByteArray encode(const songLink &song);
// False, with the link left empty, when the bytes are no whole block of this version.
bool decode(const QByteArray &block, songLink &song);
// The bytes begin as a song block does: its tag, or the start of it.
bool startsBlock(const QByteArray &bytes);

// The path a show at showFile keeps for songFile: relative to the show's folder when the song
// lies in it or below it, so that the two move together; absolute otherwise.
QString linkPath(const QString &songFile, const QString &showFile);
// The song file a kept path names, for a show at showFile.
QString songFile(const QString &linkPath, const QString &showFile);
} // namespace songBlock

#endif
