#ifndef SYNCOPTIONS_H
#define SYNCOPTIONS_H

#include <QString>

// Timecode chase's choices for one run, filled from the command line by the program's
// start-up: a source to chase from the start ("" for none) and its offset ("" keeps the
// settings').
// A plain value, on the GUI thread.
struct syncOptions {
    QString timecode;
    QString offset;
};

#endif
