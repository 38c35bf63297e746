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
        if (m_socket >= 0)
            ::close(m_socket);
        m_socket = -1;
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
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
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
    m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0) {
        m_problem = systemError("socket");
        return false;
    }
    const int on = 1;
    if (setsockopt(m_socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        setsockopt(m_socket, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on) != 0) {
        m_problem = systemError("setsockopt");
        return false;
    }
    if (::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        m_problem = systemError("bind");
        return false;
    }
    socklen_t length = sizeof address;
    getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length);
    m_boundPort = ntohs(address.sin_port);
    return true;
}

void artnetTimecode::run()
{
    pollfd wanted{m_socket, POLLIN, 0};
    while (!m_stopping) {
        if (::poll(&wanted, 1, kPollMs) > 0)
            readAll();
    }
}

void artnetTimecode::readAll()
{
    unsigned char buffer[1500];
    for (;;) {
        const ssize_t size = ::recv(m_socket, buffer, sizeof buffer, 0);
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
