#ifndef LOADLOG_H
#define LOADLOG_H

#include <QMutex>
#include <QStringList>
#include <QtGlobal>

// Collects the debug lines written during one file operation, so that the caller can tell
// whether the file service reported success and, if not, why. The lines still reach the
// handler that was installed before, unless the caller keeps them quiet. Logs nest: an
// outer one sees the lines of an inner one too.
class loadLog
{
  public:
    explicit loadLog(bool forward);
    ~loadLog();
    loadLog(const loadLog &) = delete;
    loadLog &operator=(const loadLog &) = delete;

    bool contains(const QString &text) const;
    // The file service's last word on the operation, without the file name it appends.
    QString reason() const;

  private:
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &text);
    void pass(QtMsgType type, const QMessageLogContext &context, const QString &text) const;

    QtMessageHandler m_previous;
    bool m_forward;
    loadLog *m_outer;
    mutable QMutex m_mutex;
    QStringList m_lines;
};

#endif
