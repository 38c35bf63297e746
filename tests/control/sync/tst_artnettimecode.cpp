#include "artnettimecode.h"
#include "timecode.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>

// OpTimeCode decoding, and the receiver on its own thread over loopback: alone, and beside a
// socket that holds the port the way olad's Art-Net plugin does.
class tst_artnettimecode : public QObject
{
    Q_OBJECT

  private slots:
    void decode_data();
    void decode();
    void receivesOverLoopback();
    void receivesBesideOlad_data();
    void receivesBesideOlad();
    void portHeldExclusivelyIsAProblem();
};

namespace
{
QByteArray opTimeCode(int h, int m, int s, int f, int type)
{
    QByteArray packet("Art-Net\0", 8);
    packet += QByteArray::fromHex("0097000e0000");
    packet += char(f);
    packet += char(s);
    packet += char(m);
    packet += char(h);
    packet += char(type);
    return packet;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A UDP socket bound as olad binds its Art-Net port: SO_REUSEADDR, SO_REUSEPORT,
// SO_BROADCAST on 0.0.0.0, here on a free port of the system's choosing. -1 on failure.
int oladLikeSocket(quint16 &port, bool shared = true)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (shared) {
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
    }
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

bool sendTo(const char *host, quint16 port, const QByteArray &packet)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host, &address.sin_addr);
    const ssize_t sent = ::sendto(fd, packet.constData(), size_t(packet.size()), 0,
                                  reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::close(fd);
    return sent == packet.size();
}

bool heard(int fd, int ms)
{
    pollfd wanted{fd, POLLIN, 0};
    char byte[64];
    return ::poll(&wanted, 1, ms) > 0 && ::read(fd, byte, 1) > 0;
}

// olad in a process of its own, as the user `uid`: it binds the port like olad (a free one
// when `port` is 0), says so with a 'b' on the pipe, then an 'h' once a packet reached it.
class oladProcess
{
  public:
    explicit oladProcess(uid_t uid) : m_uid(uid) {}
    ~oladProcess()
    {
        if (m_pid > 0) {
            // Still waiting when it heard nothing; SIGTERM would run the test's own handler.
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_pipe[0] >= 0)
            ::close(m_pipe[0]);
    }
    bool bind(quint16 &port)
    {
        if (port == 0) {
            const int probe = oladLikeSocket(port);
            ::close(probe);
            if (probe < 0)
                return false;
        }
        if (::pipe(m_pipe) != 0)
            return false;
        const pid_t test = ::getpid();
        m_pid = ::fork();
        if (m_pid == 0) {
            // Dies with the test, even when the test is killed before its destructor runs.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != test)
                ::_exit(1);
            child(port);
        }
        ::close(m_pipe[1]);
        char said = 0;
        return heardByte(said) && said == 'b';
    }
    bool heardPacket()
    {
        char said = 0;
        return heardByte(said) && said == 'h';
    }

  private:
    uid_t m_uid;
    pid_t m_pid = -1;
    int m_pipe[2] = {-1, -1};

    bool heardByte(char &said)
    {
        pollfd wanted{m_pipe[0], POLLIN, 0};
        return ::poll(&wanted, 1, 5000) > 0 && ::read(m_pipe[0], &said, 1) == 1;
    }
    [[noreturn]] void child(quint16 port)
    {
        ::close(m_pipe[0]);
        // nobody's group has nobody's number on Debian.
        if (m_uid != ::getuid() && (::setgid(m_uid) != 0 || ::setuid(m_uid) != 0))
            ::_exit(1);
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            ::_exit(1);
        const char bound = 'b';
        const char got = 'h';
        if (::write(m_pipe[1], &bound, 1) == 1 && heard(fd, 10000))
            (void)!::write(m_pipe[1], &got, 1);
        ::_exit(0);
    }
};
} // namespace

void tst_artnettimecode::decode_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<qint64>("frame"); // -1: ignored
    QTest::addColumn<qint64>("fps");

    using tc = timecodeSnapshot;
    QTest::newRow("film 24") << opTimeCode(0, 0, 1, 23, 0) << qint64(47) << qint64(tc::fps24);
    QTest::newRow("EBU 25") << opTimeCode(1, 0, 0, 0, 1) << qint64(90000) << qint64(tc::fps25);
    QTest::newRow("drop-frame after minute 1")
        << opTimeCode(0, 1, 0, 2, 2) << qint64(1800) << qint64(tc::fps2997drop);
    QTest::newRow("SMPTE 30") << opTimeCode(23, 59, 59, 29, 3) << qint64(2591999)
                              << qint64(tc::fps30);
    QTest::newRow("longer packet of a later revision")
        << opTimeCode(0, 0, 0, 5, 1) + QByteArray(4, '\0') << qint64(5) << qint64(tc::fps25);
    QByteArray packet = opTimeCode(0, 0, 0, 1, 1);
    QTest::newRow("short") << packet.left(18) << qint64(-1) << qint64(0);
    packet[0] = 'a';
    QTest::newRow("not Art-Net") << packet << qint64(-1) << qint64(0);
    packet = opTimeCode(0, 0, 0, 1, 1);
    packet[9] = char(0x50);
    QTest::newRow("ArtDmx") << packet << qint64(-1) << qint64(0);
    packet = opTimeCode(0, 0, 0, 1, 1);
    packet[11] = char(13);
    QTest::newRow("protocol 13") << packet << qint64(-1) << qint64(0);
    QTest::newRow("type 4") << opTimeCode(0, 0, 0, 1, 4) << qint64(-1) << qint64(0);
    QTest::newRow("frame 25 at 25") << opTimeCode(0, 0, 0, 25, 1) << qint64(-1) << qint64(0);
    QTest::newRow("dropped label") << opTimeCode(0, 1, 0, 0, 2) << qint64(-1) << qint64(0);
    QTest::newRow("hour 24") << opTimeCode(24, 0, 0, 0, 1) << qint64(-1) << qint64(0);
    QTest::newRow("all ones") << opTimeCode(255, 255, 255, 255, 255) << qint64(-1) << qint64(0);
}

void tst_artnettimecode::decode()
{
    QFETCH(QByteArray, packet);
    QFETCH(qint64, frame);
    QFETCH(qint64, fps);
    timecodeSnapshot out;
    const bool ok = artnetTimecode::decode(reinterpret_cast<const unsigned char *>(packet.data()),
                                           std::size_t(packet.size()), 42, out);
    QCOMPARE(ok, frame >= 0);
    if (!ok) {
        QCOMPARE(out.ms, qint64(-1)); // untouched
        return;
    }
    QCOMPARE(out.frame, frame);
    QCOMPARE(out.fps, fps);
    QCOMPARE(out.ms, timecode::frameToMs(frame, fps));
    QCOMPARE(out.arrivedNs, qint64(42));
}

// Valid packets land in the snapshot with their arrival time; broken ones are counted and
// change nothing.
void tst_artnettimecode::receivesOverLoopback()
{
    timecodeState state;
    artnetTimecode receiver(state);
    receiver.setAddress(QStringLiteral("127.0.0.1"));
    receiver.setPort(0);
    QVERIFY2(receiver.start(), qPrintable(receiver.problem()));
    QVERIFY(receiver.boundPort() != 0);
    const qint64 before = nowNs();
    QVERIFY(sendTo("127.0.0.1", receiver.boundPort(), opTimeCode(0, 1, 0, 2, 2)));
    QTRY_COMPARE(state.read().frame, qint64(1800));
    const timecodeSnapshot got = state.read();
    QCOMPARE(got.fps, qint64(timecodeSnapshot::fps2997drop));
    QCOMPARE(got.ms, qint64(60060));
    QVERIFY(got.arrivedNs >= before && got.arrivedNs <= nowNs());

    QVERIFY(sendTo("127.0.0.1", receiver.boundPort(), opTimeCode(0, 0, 0, 25, 1)));
    QVERIFY(sendTo("127.0.0.1", receiver.boundPort(), QByteArray("Art-Net")));
    QTRY_COMPARE(receiver.ignored(), qint64(2));
    QCOMPARE(state.read().arrivedNs, got.arrivedNs);
    QVERIFY(sendTo("127.0.0.1", receiver.boundPort(), opTimeCode(2, 0, 0, 0, 1)));
    QTRY_COMPARE(state.read().frame, qint64(180000));
    QCOMPARE(receiver.received(), qint64(2));
    receiver.stop();
    QVERIFY(!receiver.running());
}

void tst_artnettimecode::receivesBesideOlad_data()
{
    QTest::addColumn<bool>("ownUser");
    QTest::addColumn<bool>("oladFirst");
    QTest::addColumn<QByteArray>("to");
    QTest::newRow("broadcast, olad as the same user")
        << false << true << QByteArray("127.255.255.255");
    QTest::newRow("broadcast, olad as a user of its own, as the service runs")
        << true << true << QByteArray("127.255.255.255");
    QTest::newRow("broadcast, olad started later")
        << true << false << QByteArray("127.255.255.255");
    // olad's Art-Net on loopback sends its timecode to 0.0.0.0, which arrives as this.
    QTest::newRow("loopback unicast, olad started first")
        << true << true << QByteArray("127.0.0.1");
    QTest::newRow("loopback unicast, olad started later")
        << true << false << QByteArray("127.0.0.1");
    QTest::newRow("loopback unicast, olad as the same user started later")
        << false << false << QByteArray("127.0.0.1");
}

// olad's Art-Net plugin holds the port too, bound before or after the receiver: the receiver
// hears timecode broadcast, and olad keeps hearing it too, or sent to 127.0.0.1.
void tst_artnettimecode::receivesBesideOlad()
{
    QFETCH(bool, ownUser);
    QFETCH(bool, oladFirst);
    QFETCH(QByteArray, to);
    if (ownUser && ::geteuid() != 0)
        QSKIP("taking another user's part needs root");
    oladProcess olad(ownUser ? uid_t(65534) : ::getuid());
    quint16 port = 0;
    QVERIFY(!oladFirst || olad.bind(port));
    timecodeState state;
    artnetTimecode receiver(state);
    receiver.setPort(port);
    QVERIFY2(receiver.start(), qPrintable(receiver.problem()));
    port = receiver.boundPort();
    QVERIFY(oladFirst || olad.bind(port));
    QVERIFY(sendTo(to.constData(), port, opTimeCode(10, 0, 0, 0, 1)));
    QTRY_COMPARE(state.read().frame, qint64(900000));
    QVERIFY(to != "127.255.255.255" || olad.heardPacket());
    receiver.stop();
}

// A port held without sharing cannot be had: start() says why instead of running deaf.
void tst_artnettimecode::portHeldExclusivelyIsAProblem()
{
    quint16 port = 0;
    const int holder = oladLikeSocket(port, false);
    QVERIFY(holder >= 0);
    timecodeState state;
    artnetTimecode receiver(state);
    receiver.setPort(port);
    QVERIFY(!receiver.start());
    QVERIFY(receiver.problem().contains(QStringLiteral("bind")));
    QVERIFY(!receiver.running());
    receiver.setAddress(QStringLiteral("not an address"));
    QVERIFY(!receiver.start());
    QVERIFY(receiver.problem().contains(QStringLiteral("not an address")));
    ::close(holder);
}

QTEST_GUILESS_MAIN(tst_artnettimecode)
#include "tst_artnettimecode.moc"
