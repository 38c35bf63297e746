#include "dmxfile.h"

#include <QFile>

dmxFile::dmxFile(QObject *parent) : QObject(parent) {}

dmxFile::~dmxFile()
{
    delete m_file;
}

bool dmxFile::saveData(QUrl name, int col, int start_row, int end_row, QString selectedNameFilter)
{
    Q_UNUSED(name)
    Q_UNUSED(col)
    Q_UNUSED(start_row)
    Q_UNUSED(end_row)
    Q_UNUSED(selectedNameFilter)
    return false;
}

int dmxFile::loadData(QUrl name)
{
    Q_UNUSED(name)
    return 0;
}

bool dmxFile::saveDmxFile(QString path, int col)
{
    Q_UNUSED(path)
    Q_UNUSED(col)
    return false;
}

int dmxFile::loadDmxFile()
{
    return 0;
}

bool dmxFile::saveCFile(QString path, QString name, int col, int start_row, int end_row)
{
    Q_UNUSED(path)
    Q_UNUSED(name)
    Q_UNUSED(col)
    Q_UNUSED(start_row)
    Q_UNUSED(end_row)
    return false;
}

int dmxFile::loadCFile()
{
    return 0;
}
