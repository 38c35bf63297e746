#include "statusline.h"

#include <QTimer>

void statusLine::setText(const QString &text)
{
    if (!m_fresh) {
        m_fresh = true;
        QTimer::singleShot(0, this, [this] { m_fresh = false; });
    }
    if (text == m_text)
        return;
    m_text = text;
    emit textChanged();
}

void statusLine::end()
{
    if (!m_fresh && !m_text.isEmpty()) {
        m_text.clear();
        emit textChanged();
    }
}
