#ifndef ARTNETTIMECODE_H
#define ARTNETTIMECODE_H

#include "syncsnapshot.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <thread>

// Art-Net timecode (OpTimeCode) received on a UDP thread of its own, so that a busy window
// delays nothing, and published with its arrival time. Every other or malformed packet is
// counted and dropped; nothing received is written anywhere. start() and stop() on the
// owner's thread; the counters from any.
//
// olad's Art-Net plugin binds 0.0.0.0:6454 with SO_REUSEADDR and SO_REUSEPORT (seen with
// strace on OLA 0.10.9), and so does this receiver, so both can hold the port. Linux then
// delivers a broadcast packet to both, but a unicast packet to one wildcard socket only, the
// one bound last (tried with olad in a network namespace of its own, as its own user and as
// ours). On loopback, which has no broadcast address, olad sends its timecode to 0.0.0.0,
// that is unicast to 127.0.0.1: a receiver started before olad never saw it. So a wildcard
// receiver also binds 127.0.0.1 on the same port, which the kernel prefers to any wildcard
// socket whatever the order. olad loses loopback unicast Art-Net meanwhile, as it loses all
// unicast to a receiver bound after it. Unicast to another of this machine's addresses
// still goes to whichever was bound last; senders on the network broadcast as a rule.
class artnetTimecode
{
  public:
    static constexpr quint16 kPort = 6454;

    explicit artnetTimecode(timecodeState &state);
    ~artnetTimecode();
    artnetTimecode(const artnetTimecode &) = delete;
    artnetTimecode &operator=(const artnetTimecode &) = delete;

    // Before start(): an IPv4 address to bind (default 0.0.0.0, every interface) and the
    // port (0: any free one, for tests; see boundPort()).
    void setAddress(const QString &address) { m_address = address; }
    void setPort(quint16 port) { m_port = port; }

    // False with problem() set when the socket cannot be had.
    bool start();
    // Returns within the receive thread's poll interval.
    void stop();
    bool running() const { return m_thread.joinable(); }
    QString problem() const { return m_problem; }
    quint16 boundPort() const { return m_boundPort; }

    qint64 received() const { return m_received.load(); }
    qint64 ignored() const { return m_ignored.load(); }

    // One datagram: true and `out` filled for a well-formed OpTimeCode within range.
    static bool decode(const unsigned char *data, std::size_t size, qint64 arrivedNs,
                       timecodeSnapshot &out);

  private:
    timecodeState &m_state;
    QString m_address = QStringLiteral("0.0.0.0");
    quint16 m_port = kPort;
    quint16 m_boundPort = 0;
    QString m_problem;
    int m_socket = -1;
    // Beside a wildcard socket: the one bound to 127.0.0.1, -1 when there is none.
    int m_loopSocket = -1;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<qint64> m_received{0};
    std::atomic<qint64> m_ignored{0};

    bool openSocket();
    void openLoopSocket();
    void closeSockets();
    void run();
    void readAll(int socket);
};

#endif
