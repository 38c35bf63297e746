#ifndef PLAYSHOW_H
#define PLAYSHOW_H

#include "steptable.h"

#include <vector>

// How an edit moved rows: the row playback stands on follows its step. `at` is the first row
// the edit touched; a move's `to` is where its block's first row stands afterwards.
struct rowMove {
    enum class kind { inserted, removed, moved };
    kind what = kind::inserted;
    int at = 0;
    int count = 0;
    int to = 0;

    // Where `row` stands after the edit; a removed row gives way to the row after the block.
    int follow(int row) const
    {
        switch (what) {
        case kind::inserted:
            return row >= at ? row + count : row;
        case kind::removed:
            return row >= at + count ? row - count : qMin(row, at);
        case kind::moved:
            if (row >= at && row < at + count)
                return row - at + to;
            row = row >= at + count ? row - count : row;
            return row >= to ? row + count : row;
        }
        return row;
    }
    bool operator==(const rowMove &o) const
    {
        return what == o.what && at == o.at && count == o.count && to == o.to;
    }
};

// What the output thread plays: the rows, the ends of the play range as picked (either may
// lie outside the table), the rows playback advances by, and how the rows moved since the show
// published before, as the document last published them. Never changed once published, so
// any thread may read it; a new one replaces it.
struct playShow {
    stepTable rows;
    int playStart = 0;
    int playEnd = -1;
    uint between = 1;
    std::vector<rowMove> moves;
};

#endif
