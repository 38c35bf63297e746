#ifndef SHOWDATA_H
#define SHOWDATA_H

#include "fixturedef.h"

#include <QByteArray>
#include <QList>
#include <QVector>

// One step: cell 0 the step number, 1 the speed, 2 the fade, 3 onwards the channel levels.
using StepRow = QVector<quint16>;

// A step program as the file formats see it, without the model around it.
struct showData {
    // One byte per channel from channel 1 on, non-zero when its snap flag is set. Its size
    // is the number of channels a file holds.
    QByteArray flags;
    // In table order. Rows a reader returns are new and the caller's to keep or delete.
    QList<StepRow *> rows;
    // The fixtures' type indexes in the order they were added; only the show file keeps them.
    QByteArray fixtures;
    // One per fixture from a definition (type byte fixtureBlock::kDefinitionType), in order,
    // each with the one mode the fixture uses.
    QVector<fixtureDef::definition> definitions = {};
};

#endif
