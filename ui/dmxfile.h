#ifndef DMXFILE_H
#define DMXFILE_H

#include "showfiles.h"

class dimList;

// The file service under the name the window knows it by, on a table model.
// GUI thread only.
class dmxFile : public showFiles
{
    Q_OBJECT

  public:
    // Works on `model`; without one, on the process's model at each call (the conversions
    // and tests that replace it between calls).
    explicit dmxFile(dimList *model = nullptr, QObject *parent = nullptr);
};

#endif
