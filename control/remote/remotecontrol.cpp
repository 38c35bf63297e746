#include "remotecontrol.h"

#include "midiremote.h"
#include "oscserver.h"
#include "remoteactions.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QSettings>

namespace
{
const QString kLoopback = QStringLiteral("127.0.0.1");
const QString kAllInterfaces = QStringLiteral("0.0.0.0");
const QString kPortKey = QStringLiteral("remote/oscPort");
const QString kAddressKey = QStringLiteral("remote/oscAddress");
constexpr int kActivityMs = 100;
} // namespace

remoteControl::remoteControl(dimList *list, QObject *parent)
    : QObject(parent), m_actions(new remoteActions(list, this)),
      m_osc(new oscServer(m_actions, this)), m_midi(new midiRemote(m_actions, this))
{
    m_activityTimer.setSingleShot(true);
    m_activityTimer.setInterval(kActivityMs);
    connect(&m_activityTimer, &QTimer::timeout, this, &remoteControl::activityChanged);
    const auto later = [this] {
        if (!m_activityTimer.isActive())
            m_activityTimer.start();
    };
    connect(m_osc, &oscServer::activity, this, later);
    connect(m_midi, &midiRemote::activity, this, later);
}

remoteControl::~remoteControl() = default;

void remoteControl::start(const remoteOptions &given)
{
    QSettings settings;
    const int port =
        given.oscPort >= 0 ? given.oscPort : settings.value(kPortKey, kDefaultOscPort).toInt();
    const QString address = given.oscAddress.isEmpty()
                                ? settings.value(kAddressKey, kLoopback).toString()
                                : given.oscAddress;
    listen(port, address);
    m_midi->start();
}

bool remoteControl::listen(int port, const QString &address)
{
    m_port = qBound(0, port, 65535);
    m_address = address;
    const QHostAddress host(address);
    m_badAddress.clear();
    bool ok = false;
    if (host.isNull()) {
        m_osc->close();
        m_badAddress = address;
    } else if (m_port == 0) {
        m_osc->close();
        ok = true;
    } else {
        ok = m_osc->listen(host, quint16(m_port));
    }
    emit oscChanged();
    return ok;
}

bool remoteControl::applyOsc(int port, const QString &address)
{
    if (port < 0 || port > 65535 || !listenAddresses().contains(address))
        return false;
    QSettings settings;
    settings.setValue(kPortKey, port);
    settings.setValue(kAddressKey, address);
    return listen(port, address);
}

QStringList remoteControl::listenAddresses() const
{
    QStringList out{kLoopback, kAllInterfaces};
    for (const QHostAddress &own : QNetworkInterface::allAddresses()) {
        if (own.isLoopback() || own.isLinkLocal())
            continue;
        const QString text = own.toString();
        if (!out.contains(text))
            out << text;
    }
    return out;
}

bool remoteControl::oscListening() const
{
    return m_osc->listening();
}

QString remoteControl::oscError() const
{
    if (!m_badAddress.isEmpty())
        return QStringLiteral("not an IP address: %1").arg(m_badAddress);
    return m_osc->error();
}

QString remoteControl::lastMessage() const
{
    return m_midi->lastMessageTime() > m_osc->lastMessageTime() ? m_midi->lastMessage()
                                                                : m_osc->lastMessage();
}

int remoteControl::errorCount() const
{
    return m_osc->errorCount() + m_midi->errorCount();
}

int remoteControl::messageCount() const
{
    return m_osc->messageCount() + m_midi->messageCount();
}

QObject *remoteControl::midiObject() const
{
    return m_midi;
}
