#ifndef REMOTEOPTIONS_H
#define REMOTEOPTIONS_H

#include <QString>

// Remote control's choices for one run, filled from the command line by the program's
// start-up; a port of -1 and an empty address keep the settings.
// A plain value, on the GUI thread.
struct remoteOptions {
    int oscPort = -1;
    QString oscAddress;
};

#endif
