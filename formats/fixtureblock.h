#ifndef FIXTUREBLOCK_H
#define FIXTUREBLOCK_H

#include "fixturedef.h"

#include <QByteArray>
#include <QVector>

// The show file's fixture block, after the last row. Shows whose fixtures are all built-in
// types keep the first form, which older versions of the program read: the tag "FIXTURES",
// a signed 32-bit count of the bytes after it, then one type byte per fixture. A show with a
// fixture from a definition takes the versioned form, which keeps the definition's meaning
// on a machine without the library: the tag "FIXTDEFS", the same count, a version byte, and
// per fixture its type byte, followed for a definition by its manufacturer, model, mode and
// channels with their capability ranges and names. Readers that stop after the rows never
// see either.
namespace fixtureBlock
{
// The type byte of a fixture from a definition; built-in types are far below.
constexpr uchar kDefinitionType = 255;
constexpr quint8 kVersion = 1;
// Larger blocks are not read: far more than 512 channels of named ranges take.
constexpr int kMaxSize = 4 * 1024 * 1024;

// The block for the fixtures in table order: the type bytes, and for each kDefinitionType
// byte the next of the definitions (each with the one mode the fixture uses). Empty
// without fixtures.
QByteArray encode(const QByteArray &types, const QVector<fixtureDef::definition> &definitions);
// The size of the block the bytes begin with, as its head gives it, even when its body is
// damaged; -1 when they begin with no whole head of either form.
qint64 announcedSize(const QByteArray &bytes);
// False, with nothing kept, when the bytes are no whole block of either form.
bool decode(const QByteArray &block, QByteArray &types,
            QVector<fixtureDef::definition> &definitions);
} // namespace fixtureBlock

#endif
