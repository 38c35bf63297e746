#ifndef REALTIMEKIT_H
#define REALTIMEKIT_H

#include <QDBusConnection>
#include <QString>
#include <QVariant>

// Real-time scheduling through RealtimeKit (org.freedesktop.RealtimeKit1 on the system bus),
// which desktop sessions offer to programs that may not ask the kernel themselves, as Linux
// audio programs do. Every call blocks for at most a short time-out.
// On the thread that asks, which it blocks for the call (the output thread, once as it
// starts).
class realtimeKit
{
  public:
    explicit realtimeKit(const QDBusConnection &bus);

    // Makes the thread with kernel id tid of this process real-time, at priority or at the
    // highest RealtimeKit allows below it. Returns the priority granted, 0 when none; why()
    // then says what failed.
    int makeThreadRealtime(qint64 tid, int priority);
    QString why() const { return m_why; }

  private:
    QDBusConnection m_bus;
    QString m_why;

    bool readProperty(const QString &name, QVariant *value);
};

#endif
