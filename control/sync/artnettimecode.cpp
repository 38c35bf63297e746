#include "artnettimecode.h"

#include "timecode.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace
{
constexpr unsigned char kId[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
constexpr int kOpTimeCode = 0x9700;
constexpr int kMinProtocol = 14;
constexpr std::size_t kPacketSize = 19;
constexpr int kPollMs = 50;

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Non-blocking, sharing the port with olad; -1 on failure, with errno and the call that
// failed.
int sharedSocket(const sockaddr_in &address, const char *&failed)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    failed = "socket";
    if (fd < 0)
        return -1;
    const int on = 1;
    failed = "setsockopt";
    bool ok = setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
              setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) == 0;
    if (ok) {
        failed = "bind";
        ok = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    }
    if (ok)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}
} // namespace

artnetTimecode::artnetTimecode(timecodeState &state) : m_state(state) {}

artnetTimecode::~artnetTimecode()
{
    stop();
}

// Later Art-Net revisions may append fields, so a longer packet is read for its first ones.
bool artnetTimecode::decode(const unsigned char *data, std::size_t size, qint64 arrivedNs,
                            timecodeSnapshot &out)
{
    if (size < kPacketSize || std::memcmp(data, kId, sizeof kId) != 0)
        return false;
    const int opcode = data[8] | data[9] << 8;
    const int protocol = data[10] << 8 | data[11];
    if (opcode != kOpTimeCode || protocol < kMinProtocol)
        return false;
    const timecode::hmsf time{data[17], data[16], data[15], data[14]};
    const timecodeSnapshot read = timecode::snapshot(time, data[18], arrivedNs);
    if (read.ms < 0)
        return false;
    out = read;
    return true;
}

bool artnetTimecode::start()
{
    stop();
    m_problem.clear();
    if (!openSocket()) {
        closeSockets();
        return false;
    }
    m_stopping = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void artnetTimecode::stop()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        m_thread.join();
    }
    closeSockets();
}

void artnetTimecode::closeSockets()
{
    for (int *fd : {&m_socket, &m_loopSocket}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool artnetTimecode::openSocket()
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_port);
    if (inet_pton(AF_INET, m_address.toLatin1().constData(), &address.sin_addr) != 1) {
        m_problem = QStringLiteral("Not an IPv4 address: %1").arg(m_address);
        return false;
    }
    const char *failed = nullptr;
    m_socket = sharedSocket(address, failed);
    if (m_socket < 0) {
        m_problem = systemError(failed);
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length);
    m_boundPort = ntohs(address.sin_port);
    if (address.sin_addr.s_addr == htonl(INADDR_ANY))
        openLoopSocket();
    return true;
}

// Beside a wildcard socket (see the header). Without it loopback unicast still reaches a
// receiver bound after olad, so a failure is no reason to give up.
void artnetTimecode::openLoopSocket()
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_boundPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const char *failed = nullptr;
    m_loopSocket = sharedSocket(address, failed);
}

void artnetTimecode::run()
{
    pollfd wanted[2] = {{m_socket, POLLIN, 0}, {m_loopSocket, POLLIN, 0}};
    const nfds_t count = m_loopSocket >= 0 ? 2 : 1;
    while (!m_stopping) {
        if (::poll(wanted, count, kPollMs) <= 0)
            continue;
        for (const pollfd &one : wanted) {
            if (one.fd >= 0 && (one.revents & POLLIN))
                readAll(one.fd);
        }
    }
}

void artnetTimecode::readAll(int socket)
{
    unsigned char buffer[1500];
    for (;;) {
        const ssize_t size = ::recv(socket, buffer, sizeof buffer, 0);
        if (size < 0)
            return;
        timecodeSnapshot tc;
        if (decode(buffer, std::size_t(size), nowNs(), tc)) {
            m_state.publish(tc);
            ++m_received;
        } else {
            ++m_ignored;
        }
    }
}
