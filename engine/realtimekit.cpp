#include "realtimekit.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include <sys/resource.h>

#include <algorithm>

namespace
{
const QString kService = QStringLiteral("org.freedesktop.RealtimeKit1");
const QString kPath = QStringLiteral("/org/freedesktop/RealtimeKit1");
const QString kInterface = QStringLiteral("org.freedesktop.RealtimeKit1");
// A bus that does not answer must not hold up the output thread for long.
constexpr int kTimeoutMs = 2000;
} // namespace

realtimeKit::realtimeKit(const QDBusConnection &bus) : m_bus(bus) {}

bool realtimeKit::readProperty(const QString &name, QVariant *value)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kInterface << name;
    const QDBusMessage reply = m_bus.call(get, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        m_why = reply.errorMessage();
        return false;
    }
    *value = reply.arguments().first().value<QDBusVariant>().variant();
    return true;
}

int realtimeKit::makeThreadRealtime(qint64 tid, int priority)
{
    if (!m_bus.isConnected()) {
        m_why = QStringLiteral("no system bus");
        return 0;
    }
    QVariant maxPriority, maxRtTime;
    if (!readProperty(QStringLiteral("MaxRealtimePriority"), &maxPriority) ||
        !readProperty(QStringLiteral("RTTimeUSecMax"), &maxRtTime))
        return 0;
    const int granted = std::min(priority, maxPriority.toInt());
    if (granted < 1) {
        m_why = QStringLiteral("no real-time priority offered");
        return 0;
    }
    // RealtimeKit serves only processes that a runaway real-time thread cannot freeze: the
    // kernel stops one that keeps the CPU longer than this without sleeping.
    const rlimit limit{static_cast<rlim_t>(maxRtTime.toLongLong()),
                       static_cast<rlim_t>(maxRtTime.toLongLong())};
    if (setrlimit(RLIMIT_RTTIME, &limit) != 0) {
        m_why = QStringLiteral("RLIMIT_RTTIME refused");
        return 0;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("MakeThreadRealtime"));
    call << QVariant::fromValue(static_cast<quint64>(tid))
         << QVariant::fromValue(static_cast<quint32>(granted));
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_why = reply.errorMessage();
        return 0;
    }
    return granted;
}
