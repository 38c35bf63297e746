#include "oscserver.h"

#include "remoteactions.h"

#include <QDateTime>
#include <QUdpSocket>
#include <QVector>
#include <QtEndian>

#include <lo/lo_lowlevel.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{
const QString kPrefix = QStringLiteral("/dmxplayer/");
const QString kStatePrefix = QStringLiteral("/dmxplayer/state/");
// A subscriber that sends nothing for this long hears nothing more.
constexpr qint64 kSubscriptionMs = 10 * 60 * 1000;
// Enough for a few tablets and show computers; more would let a flood of senders turn the
// feedback into a flood of our own.
constexpr int kMaxSubscribers = 32;
// Bundles inside bundles, at most this deep.
constexpr int kMaxBundleDepth = 4;
constexpr int kReceiveBuffer = 1 << 20;
const QByteArray kBundleTag("#bundle\0", 8);

struct messageFree {
    void operator()(lo_message m) const { lo_message_free(m); }
};
using messagePtr = std::unique_ptr<std::remove_pointer_t<lo_message>, messageFree>;

// The arguments of a decoded message; false on a type no action takes.
bool argumentsOf(lo_message message, QVariantList &out)
{
    const char *types = lo_message_get_types(message);
    lo_arg **argv = lo_message_get_argv(message);
    const int count = lo_message_get_argc(message);
    for (int i = 0; i < count; ++i) {
        // liblo aligns arguments to 4 bytes, its union wants 8: copy, never dereference.
        switch (types[i]) {
        case LO_INT32: {
            qint32 value = 0;
            std::memcpy(&value, argv[i], sizeof value);
            out << QVariant(int(value));
            break;
        }
        case LO_FLOAT: {
            float value = 0;
            std::memcpy(&value, argv[i], sizeof value);
            out << QVariant(value);
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

QString describe(const QString &path, const QVariantList &args)
{
    QString text = path;
    for (const QVariant &arg : args)
        text += QLatin1Char(' ') + arg.toString();
    return text;
}
} // namespace

oscServer::oscServer(remoteActions *actions, QObject *parent) : QObject(parent), m_actions(actions)
{
    connect(actions, &remoteActions::changed, this, &oscServer::sendFeedback);
}

oscServer::~oscServer() = default;

bool oscServer::listen(const QHostAddress &address, quint16 port)
{
    close();
    auto *socket = new QUdpSocket(this);
    // Not shared: a second program on the same port must fail, not take half the messages.
    if (!socket->bind(address, port, QAbstractSocket::DontShareAddress)) {
        m_error = socket->errorString();
        delete socket;
        return false;
    }
    // Room for a burst from a show-control computer while the window is busy drawing.
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
    m_socket = socket;
    connect(m_socket, &QUdpSocket::readyRead, this, &oscServer::readPending);
    return true;
}

void oscServer::close()
{
    delete m_socket;
    m_socket = nullptr;
    m_error.clear();
    m_subscribers.clear();
}

bool oscServer::listening() const
{
    return m_socket != nullptr;
}

quint16 oscServer::port() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void oscServer::readPending()
{
    while (m_socket && m_socket->hasPendingDatagrams()) {
        QByteArray data(int(qMax<qint64>(0, m_socket->pendingDatagramSize())), '\0');
        QHostAddress from;
        quint16 port = 0;
        const qint64 size = m_socket->readDatagram(data.data(), data.size(), &from, &port);
        if (size < 0)
            continue;
        data.resize(int(size));
        receive(data, from, port, 0);
        emit activity();
    }
}

void oscServer::receive(QByteArray data, const QHostAddress &from, quint16 port, int depth)
{
    if (data.startsWith(kBundleTag)) {
        if (!receiveBundle(data, from, port, depth))
            ++m_errors;
        return;
    }
    int result = 0;
    const messagePtr message(lo_message_deserialise(data.data(), size_t(data.size()), &result));
    QVariantList args;
    if (!message || !argumentsOf(message.get(), args)) {
        ++m_errors;
        return;
    }
    const QString path = QString::fromUtf8(lo_get_path(data.data(), data.size()));
    if (!handle(path, args, from, port)) {
        ++m_errors;
        return;
    }
    ++m_messages;
    m_last = describe(path, args);
    m_lastAt = QDateTime::currentMSecsSinceEpoch();
}

// A bundle's messages are carried out at once, whatever its time tag says. A bundle whose
// framing is broken is refused whole, before any of its messages is carried out.
bool oscServer::receiveBundle(const QByteArray &data, const QHostAddress &from, quint16 port,
                              int depth)
{
    if (depth >= kMaxBundleDepth || data.size() < 16)
        return false;
    QVector<QByteArray> elements;
    int at = 16;
    while (at + 4 <= data.size()) {
        const qint32 size = qFromBigEndian<qint32>(data.constData() + at);
        at += 4;
        if (size <= 0 || size % 4 != 0 || size > data.size() - at)
            return false;
        elements << data.mid(at, size);
        at += size;
    }
    if (at != data.size())
        return false;
    for (const QByteArray &element : qAsConst(elements))
        receive(element, from, port, depth + 1);
    return true;
}

bool oscServer::handle(const QString &path, const QVariantList &args, const QHostAddress &from,
                       quint16 port)
{
    if (!path.startsWith(kPrefix))
        return false;
    const QString name = path.mid(kPrefix.size());
    const bool done = isSubscription(name) ? subscription(name, args, from, port)
                                           : m_actions->perform(name, args);
    // A refused message changes nothing, not even how long a subscription lasts.
    if (done)
        heardFrom(from, port);
    return done;
}

bool oscServer::isSubscription(const QString &name)
{
    return name == QLatin1String("subscribe") || name == QLatin1String("unsubscribe") ||
           name == QLatin1String("state");
}

// An optional port: the feedback goes there, on the sender's own host, so that a tool that
// only listens (oscdump) can be the subscriber.
bool oscServer::subscription(const QString &name, const QVariantList &args,
                             const QHostAddress &from, quint16 port)
{
    if (args.size() > 1 || (args.size() == 1 && args.at(0).userType() != QMetaType::Int))
        return false;
    const int to = args.isEmpty() ? port : args.at(0).toInt();
    if (to < 1 || to > 65535)
        return false;
    return subscribeTo(name, from, quint16(to));
}

bool oscServer::subscribeTo(const QString &name, const QHostAddress &from, quint16 port)
{
    const QString key = from.toString() + QLatin1Char(' ') + QString::number(port);
    if (name == QLatin1String("unsubscribe")) {
        m_subscribers.remove(key);
        return true;
    }
    if (name == QLatin1String("subscribe") && !m_subscribers.contains(key)) {
        dropQuietSubscribers();
        if (m_subscribers.size() >= kMaxSubscribers)
            return false;
        subscriber added{from, port, {}};
        added.heard.start();
        m_subscribers.insert(key, added);
    } else if (name == QLatin1String("subscribe")) {
        m_subscribers[key].heard.restart();
    }
    sendState(from, port);
    return true;
}

// Any message from a subscriber keeps its subscription alive.
void oscServer::heardFrom(const QHostAddress &from, quint16 port)
{
    const auto found =
        m_subscribers.find(from.toString() + QLatin1Char(' ') + QString::number(port));
    if (found != m_subscribers.end())
        found->heard.restart();
}

void oscServer::dropQuietSubscribers()
{
    for (auto it = m_subscribers.begin(); it != m_subscribers.end();) {
        if (it->heard.hasExpired(kSubscriptionMs))
            it = m_subscribers.erase(it);
        else
            ++it;
    }
}

void oscServer::sendState(const QHostAddress &to, quint16 port)
{
    for (const remoteActions::value &now : m_actions->state())
        send(now.name, now.args, to, port);
}

void oscServer::sendFeedback(const QString &name, const QVariantList &args)
{
    dropQuietSubscribers();
    for (const subscriber &each : qAsConst(m_subscribers))
        send(name, args, each.address, each.port);
}

void oscServer::send(const QString &name, const QVariantList &args, const QHostAddress &to,
                     quint16 port)
{
    if (!m_socket)
        return;
    const messagePtr message(lo_message_new());
    for (const QVariant &arg : args) {
        if (arg.userType() == QMetaType::Float || arg.userType() == QMetaType::Double)
            lo_message_add_float(message.get(), arg.toFloat());
        else
            lo_message_add_int32(message.get(), arg.toInt());
    }
    const QByteArray path = (kStatePrefix + name).toUtf8();
    size_t size = 0;
    void *bytes = lo_message_serialise(message.get(), path.constData(), nullptr, &size);
    if (!bytes)
        return;
    m_socket->writeDatagram(static_cast<const char *>(bytes), qint64(size), to, port);
    std::free(bytes);
}
