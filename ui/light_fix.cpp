#include "light_fix.h"

#include <QDebug>

light_fix::light_fix(int id, int chNum, QObject *parent) : QObject(parent), m_id(id), m_chNum(chNum)
{
}

void light_fix::setFixSelect(uchar select)
{
    const uchar was = m_select;
    m_select = select ? 1 : 0;
    if (m_select != was)
        emit fixSelectChanged();
    qDebug() << "light_fix:select" << (m_select ? "true" : "false") << "id:" << m_id
             << "num:" << m_chNum;
}

// The core learns only channel counts; the type name is known where the fixture was chosen.
QString light_fix::fixType() const
{
    return m_type.isEmpty() ? QStringLiteral("%1ch").arg(m_chNum) : m_type;
}

void light_fix::setFixType(const QString &type)
{
    if (m_type == type)
        return;
    m_type = type;
    emit fixTypeChanged();
}
