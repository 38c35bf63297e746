#include "loadlog.h"

#include <QMutexLocker>

#include <cstdio>

namespace
{
loadLog *s_active = nullptr;
}

loadLog::loadLog(bool forward) : m_forward(forward), m_outer(s_active)
{
    s_active = this;
    m_previous = qInstallMessageHandler(&loadLog::collect);
}

loadLog::~loadLog()
{
    qInstallMessageHandler(m_previous);
    s_active = m_outer;
}

void loadLog::collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    loadLog *log = s_active;
    if (!log)
        return;
    {
        QMutexLocker lock(&log->m_mutex);
        log->m_lines << text;
    }
    // Quiet callers still want to hear of real trouble.
    if (log->m_forward || type != QtDebugMsg)
        log->pass(type, context, text);
}

void loadLog::pass(QtMsgType type, const QMessageLogContext &context, const QString &text) const
{
    if (m_previous)
        m_previous(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

bool loadLog::contains(const QString &text) const
{
    QMutexLocker lock(&m_mutex);
    for (const QString &line : m_lines)
        if (line.contains(text))
            return true;
    return false;
}

QString loadLog::reason() const
{
    QMutexLocker lock(&m_mutex);
    for (int i = m_lines.size() - 1; i >= 0; --i) {
        const QString &line = m_lines.at(i);
        if (line.startsWith(QLatin1String("file url:")) || line.startsWith(QLatin1String("****")))
            continue;
        if (line.contains(QStringLiteral("老dmx格式")))
            return QStringLiteral("an older show layout, which is not read");
        if (!line.contains(QLatin1String("'.dmx'")) && !line.contains(QLatin1String("'.c'")))
            continue;
        // The service writes its words, the file as a quoted name and, for a failed save,
        // the system's quoted reason.
        const QStringList parts = line.split(QLatin1Char('"'));
        QString words = parts.first().trimmed();
        if (words.endsWith(QLatin1Char(':')))
            words.chop(1);
        if (parts.size() >= 5)
            words += QStringLiteral(": ") + parts.at(3);
        return words;
    }
    return QStringLiteral("the file was not read");
}
