#include "light_fix.h"

#include <QDebug>

light_fix::light_fix(int id, int chNum, QObject *parent) : QObject(parent), m_id(id), m_chNum(chNum)
{
}

void light_fix::setFixSelect(uchar select)
{
    m_select = select ? 1 : 0;
    qDebug() << "light_fix:select" << (m_select ? "true" : "false") << "id:" << m_id
             << "num:" << m_chNum;
}
