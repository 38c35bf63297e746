#ifndef SHOWDATA_H
#define SHOWDATA_H

#include "fixturedef.h"
#include "songanalysis.h"
#include "steptable.h"

#include <QByteArray>
#include <QVector>

// A step program as the file formats see it, without the model around it.
struct showData {
    // One byte per channel from channel 1 on, non-zero when its snap flag is set. Its size
    // is the number of channels a file holds.
    QByteArray flags;
    // In table order; a copy shares the storage of the table it was taken from.
    stepTable rows;
    // The fixtures' type indexes in the order they were added; only the show file keeps them.
    QByteArray fixtures;
    // One per fixture from a definition (type byte fixtureBlock::kDefinitionType), in order,
    // each with the one mode the fixture uses.
    QVector<fixtureDef::definition> definitions = {};
    // The song the show is set to; only the show file keeps it.
    songLink song = {};
};

#endif
