#ifndef CORETESTSUPPORT_H
#define CORETESTSUPPORT_H

#include "corefixture.h"
#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxbox_record.h"
#include "enginetime.h"
#include "light_fix.h"
#include "light_list.h"
#include "playengine.h"
#include "undohistory.h"

#include <QTimer>
#include <cstring>

// The graph of the running test; freshCore() builds it.
inline dimList *coreModel()
{
    return g_dimList;
}

inline dim *channel(int index)
{
    return coreModel()->output()->channel(index);
}

inline light_fix *fixture(int index)
{
    return static_cast<light_fix *>(coreModel()->output()->patch()->entries().at(index));
}

// A new core graph and a recording interface that has received nothing: init() of every
// test that uses the core. Its output thread keeps the test's time unless told otherwise.
inline dimList *freshCore(modelCheck check = modelCheck::fatal,
                          engineTime time = engineTime::manual)
{
    dimList *m = coreFixture::renew(check, {}, time);
    dmxbox_reset();
    return m;
}

// cleanup(): the graph goes with its test.
inline void dropCore()
{
    coreFixture::drop();
}

// The snap flags of the first count channels, channel 1 first.
inline QList<int> flags(int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << channel(i)->dimEn();
    return out;
}

// A row of the core's table that a test writes as it would a vector of cells.
struct tableRow {
    struct cell {
        int row;
        int column;
        cell &operator=(int value)
        {
            coreModel()->stepsForWriting().setCell(row, column, value);
            return *this;
        }
        operator quint16() const { return coreModel()->steps().cell(row, column); }
    };
    int row;
    cell operator[](int column) const { return {row, column}; }
    quint16 at(int column) const { return coreModel()->steps().cell(row, column); }
    int size() const { return coreModel()->columnCount(); }
};

// Rows given as cells, as the file formats take them.
inline stepTable rowsOf(const QList<StepRow> &cells)
{
    stepTable rows;
    for (const StepRow &row : cells)
        rows.append(row);
    return rows;
}

// Appends a row directly, bypassing the editing operations under test elsewhere.
inline tableRow appendRow(quint16 speed = 0, quint16 fade = 0, quint16 level = 0)
{
    dimList *m = coreModel();
    StepRow cells(m->columnCount(), level);
    cells[1] = speed;
    cells[2] = fade;
    m->stepsForWriting().append(cells);
    m->refrushModel();
    return {m->steps().size() - 1};
}

#endif
