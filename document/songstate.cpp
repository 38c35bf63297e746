#include "songstate.h"

#include <QFileInfo>

songState::songState(QObject *parent) : QObject(parent) {}

QString songState::fileName() const
{
    return m_path.isEmpty() ? QString() : QFileInfo(m_path).fileName();
}
