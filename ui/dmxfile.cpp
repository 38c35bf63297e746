#include "dmxfile.h"

#include "dimlist.h"

dmxFile::dmxFile(dimList *model, QObject *parent)
    : showFiles([model]() -> editWindow & { return *(model ? model : g_dimList)->editing(); },
                parent)
{
}
