#ifndef OSCSERVER_H
#define OSCSERVER_H

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QVariantList>

class QUdpSocket;
class remoteActions;

// OSC over UDP under /dmxplayer/: the actions of remoteActions, "subscribe",
// "unsubscribe" and "state" (to the sender's port, or to the port given), and the feedback
// under /dmxplayer/state/ to every subscriber.
// liblo decodes and encodes the messages; the socket is Qt's, on the GUI thread, so that
// the server binds exactly the address chosen and never blocks the output thread. GUI thread
// only.
class oscServer : public QObject
{
    Q_OBJECT

  public:
    explicit oscServer(remoteActions *actions, QObject *parent = nullptr);
    ~oscServer() override;

    // Listens on `address` (QHostAddress::Any for all interfaces) and `port` (0: any free
    // one). False, with the reason in error(), when the port cannot be bound.
    bool listen(const QHostAddress &address, quint16 port);
    void close();
    bool listening() const;
    quint16 port() const;
    QString error() const { return m_error; }

    // Messages ignored: not OSC, a wrong address, argument types or count, a bad value.
    int errorCount() const { return m_errors; }
    int messageCount() const { return m_messages; }
    // The last message understood, as "/dmxplayer/step 3".
    QString lastMessage() const { return m_last; }
    // When it came, in ms since the epoch (0: none yet).
    qint64 lastMessageTime() const { return m_lastAt; }
    int subscriberCount() const { return m_subscribers.size(); }

  signals:
    // A message arrived (understood or not).
    void activity();

  private:
    struct subscriber {
        QHostAddress address;
        quint16 port = 0;
        QElapsedTimer heard;
    };

    remoteActions *m_actions;
    QUdpSocket *m_socket = nullptr;
    QString m_error;
    int m_errors = 0;
    int m_messages = 0;
    QString m_last;
    qint64 m_lastAt = 0;
    QHash<QString, subscriber> m_subscribers;

    void readPending();
    void receive(QByteArray data, const QHostAddress &from, quint16 port, int depth);
    bool receiveBundle(const QByteArray &data, const QHostAddress &from, quint16 port, int depth);
    bool handle(const QString &path, const QVariantList &args, const QHostAddress &from,
                quint16 port);
    static bool isSubscription(const QString &name);
    bool subscription(const QString &name, const QVariantList &args, const QHostAddress &from,
                      quint16 port);
    bool subscribeTo(const QString &name, const QHostAddress &from, quint16 port);
    void heardFrom(const QHostAddress &from, quint16 port);
    void sendState(const QHostAddress &to, quint16 port);
    void sendFeedback(const QString &name, const QVariantList &args);
    void send(const QString &name, const QVariantList &args, const QHostAddress &to, quint16 port);
    void dropQuietSubscribers();
};

#endif
