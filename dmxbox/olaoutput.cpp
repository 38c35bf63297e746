#include "olaoutput.h"

#include "dmxbox.h"
#include "olaprobe.h"

#include <ola/Callback.h>
#include <ola/client/ClientWrapper.h>
#include <ola/client/StreamingClient.h>
#include <ola/io/SelectServer.h>

#include <QtGlobal>

#include <algorithm>
#include <arpa/inet.h>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <iterator>
#include <netinet/in.h>
#include <sys/socket.h>
#include <vector>

namespace
{
constexpr unsigned kFrameSize = 512;
constexpr auto kRetryInterval = std::chrono::seconds(1);
// Least time between two checks that state() callers ask for.
constexpr auto kCheckInterval = std::chrono::milliseconds(500);
constexpr unsigned short kOladPort = 9010;
// What the kernel may hold on our side for a stalled olad (it doubles the figure); with
// olad's receive window a stall fails a send after some 60 frames, two seconds of playback.
constexpr int kSendBufferBytes = 8 * 1024;
// Bounds of the one-off RPCs; they run on the worker or at exit, never per frame.
constexpr unsigned kPatchCheckTimeoutMs = 1000;
constexpr unsigned kFinalFrameTimeoutMs = 500;

// Runs one RPC of an OlaClient to completion or until its time is up. The client keeps a
// pointer to this object in the completion callback, so declare it before the client.
class rpcWait
{
  public:
    bool run(ola::io::SelectServer *server, unsigned timeoutMs)
    {
        m_server = server;
        m_server->RegisterSingleTimeout(
            timeoutMs, ola::NewSingleCallback(m_server, &ola::io::SelectServer::Terminate));
        m_server->Run();
        return m_answered;
    }

    void sent(const ola::client::Result &result)
    {
        m_answered = true;
        m_ok = result.Success();
        m_server->Terminate();
    }

    // The answer said the RPC succeeded.
    bool ok() const { return m_ok; }

  private:
    ola::io::SelectServer *m_server = nullptr;
    bool m_answered = false;
    bool m_ok = false;
};

// The process's TCP sockets connected to olad's RPC port, sorted.
std::vector<int> oladSockets()
{
    std::vector<int> fds;
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return fds;
    while (const dirent *entry = readdir(dir)) {
        const int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] == '.' || fd == dirfd(dir))
            continue;
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &length) == 0 &&
            peer.sin_family == AF_INET && peer.sin_port == htons(kOladPort) &&
            peer.sin_addr.s_addr == htonl(INADDR_LOOPBACK))
            fds.push_back(fd);
    }
    closedir(dir);
    std::sort(fds.begin(), fds.end());
    return fds;
}

// StreamingClient keeps its socket to itself, and the kernel would let it queue megabytes
// (minutes of frames) for a stalled olad before a send fails. The one socket to olad that
// Setup() added is the client's; shrink its send buffer so a stall shows within seconds
// and olad is not fed stale frames when it resumes. Left alone if that is not clear-cut.
void limitSendQueue(const std::vector<int> &before)
{
    std::vector<int> added;
    const std::vector<int> after = oladSockets();
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(added));
    if (added.size() != 1)
        return;
    setsockopt(added.front(), SOL_SOCKET, SO_SNDBUF, &kSendBufferBytes, sizeof kSendBufferBytes);
}
} // namespace

olaOutput &olaOutput::instance()
{
    // Never destroyed: a destructor run among the exit handlers would race the worker against
    // statics torn down before it (Qt's logging, for one), so shutdown() is called instead.
    static olaOutput *const output = new olaOutput;
    return *output;
}

int olaOutput::send(int device, const unsigned char *frame)
{
    if (!frame || device < 0 || device == INT_MAX)
        return 0;
    std::lock_guard<std::mutex> guard(m_sendMutex);
    m_frame.Set(frame, kFrameSize);
    m_universe = static_cast<unsigned>(device) + 1;
    m_haveFrame = true;
    if (!m_client && !takeReadyClient())
        return 0;
    if (m_client->SendDmx(m_universe, m_frame))
        return 1;
    dropClient();
    return 0;
}

bool olaOutput::takeReadyClient()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopping)
        return false;
    if (m_ready) {
        m_client = std::move(m_ready);
        return true;
    }
    keepPending();
    if (!m_worker.joinable())
        m_worker = std::thread(&olaOutput::run, this);
    m_wantedUniverse = m_universe;
    if (!m_wanted) {
        m_wanted = true;
        m_wake.notify_one();
    }
    return false;
}

// Under m_mutex. A frame nobody re-sends (a chased locate, the last step of a stopped run)
// must still reach olad once a connection is up.
void olaOutput::keepPending()
{
    m_pending = m_frame;
    m_pendingUniverse = m_universe;
    m_havePending = true;
}

void olaOutput::dropClient()
{
    m_client.reset();
    Link before;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        keepPending();
        before = m_link;
        m_link = Link::Down;
        m_wantedUniverse = m_universe;
        m_wanted = true;
    }
    m_wake.notify_one();
    if (before == Link::Up)
        qWarning("DMXSendBox: lost the connection to olad, frames are dropped until it is back");
}

void olaOutput::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (waitForTurn(lock)) {
        if (m_checkWanted) {
            m_checkWanted = false;
            const unsigned universe = m_checkUniverse;
            lock.unlock();
            checkPatch(universe);
            lock.lock();
            continue;
        }
        if (!m_wanted || m_ready)
            continue;
        m_wanted = false;
        m_attempted = true;
        m_lastAttempt = std::chrono::steady_clock::now();
        const unsigned universe = m_wantedUniverse;
        lock.unlock();
        connect(universe);
        lock.lock();
    }
}

bool olaOutput::waitForTurn(std::unique_lock<std::mutex> &lock)
{
    m_wake.wait(lock, [this] { return m_stopping || m_checkWanted || (m_wanted && !m_ready); });
    // A check may go ahead of a connection attempt that still has to wait for its turn.
    if (!m_checkWanted && m_attempted)
        m_wake.wait_until(lock, m_lastAttempt + kRetryInterval,
                          [this] { return m_stopping || m_checkWanted; });
    return !m_stopping;
}

int olaOutput::state(int device)
{
    if (device < 0 || device == INT_MAX)
        return DMXBOX_STATE_UNKNOWN;
    const unsigned universe = static_cast<unsigned>(device) + 1;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!m_stopping && !m_checkWanted &&
        (!m_checkAsked || now - m_lastCheck >= kCheckInterval || universe != m_checkUniverse)) {
        m_checkAsked = true;
        m_checkWanted = true;
        m_checkUniverse = universe;
        m_lastCheck = now;
        if (!m_worker.joinable())
            m_worker = std::thread(&olaOutput::run, this);
        m_wake.notify_one();
    }
    return universe == m_stateUniverse ? m_state : DMXBOX_STATE_UNKNOWN;
}

void olaOutput::setState(unsigned universe, int state)
{
    int before;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        before = m_stateUniverse == universe ? m_state : DMXBOX_STATE_UNKNOWN;
        m_state = state;
        m_stateUniverse = universe;
    }
    // One line per change, however often the state is checked.
    if (state == before)
        return;
    if (state == DMXBOX_STATE_NO_PORT)
        qWarning("DMXSendBox: universe %u has no output port patched in olad, so olad drops its "
                 "frames; patch one with ola_patch or on olad's web page",
                 universe);
    else if (state == DMXBOX_STATE_STALLED)
        qWarning("DMXSendBox: olad does not answer, it seems stalled; frames are dropped once "
                 "its queue is full");
    else if (before == DMXBOX_STATE_STALLED && state == DMXBOX_STATE_CONNECTED)
        qInfo("DMXSendBox: olad answers again");
}

void olaOutput::connect(unsigned universe)
{
    ola::client::StreamingClient::Options options;
    options.auto_start = false;
    auto client = std::make_unique<ola::client::StreamingClient>(options);
    const std::vector<int> sockets = oladSockets();
    bool up = client->Setup();
    if (up)
        limitSendQueue(sockets);
    Link before;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        before = m_link;
        if (!up)
            m_link = Link::Down;
    }
    if (up)
        up = handOver(std::move(client));
    if (!up) {
        setState(universe, DMXBOX_STATE_NO_DAEMON);
        if (before == Link::Unknown)
            qWarning("DMXSendBox: olad is not running (127.0.0.1:9010), frames are dropped until "
                     "it starts");
        return;
    }
    qInfo("DMXSendBox: connected to olad, sending to universe %u", universe);
    // olad may have been restarted since the last check; ask it on a new connection.
    if (m_probe)
        m_probe->close();
    checkPatch(universe);
}

// Sends the frames the caller left meanwhile, the newest last, and gives the client to the
// caller only once none is left, so no frame can overtake one sent here. False when the
// connection failed meanwhile; the frame stays pending for the next one.
bool olaOutput::handOver(std::unique_ptr<ola::client::StreamingClient> client)
{
    ola::DmxBuffer frame;
    unsigned universe = 1;
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (!m_havePending || m_stopping) {
                m_link = Link::Up;
                m_ready = std::move(client);
                // Frames asked for a connection while this one was being made.
                m_wanted = false;
                return true;
            }
            frame = m_pending;
            universe = m_pendingUniverse;
            m_havePending = false;
        }
        if (client->SendDmx(universe, frame))
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_link = Link::Down;
        if (!m_havePending) {
            m_pending = frame;
            m_pendingUniverse = universe;
            m_havePending = true;
        }
        return false;
    }
}

void olaOutput::checkPatch(unsigned universe)
{
    // Only this thread uses the probe; the destructor ends a running question through its
    // event loop.
    if (!m_probe)
        m_probe = std::make_unique<olaProbe>();
    const bool reachable = m_probe->open();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return;
        m_checkServer = m_probe->server();
    }
    const olaProbe::Answer answer =
        reachable ? m_probe->ask(universe, kPatchCheckTimeoutMs) : olaProbe::Answer::NoDaemon;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_checkServer = nullptr;
        if (m_stopping)
            return;
    }
    switch (answer) {
    case olaProbe::Answer::NoDaemon:
        setState(universe, DMXBOX_STATE_NO_DAEMON);
        break;
    case olaProbe::Answer::NoAnswer:
        setState(universe, DMXBOX_STATE_STALLED);
        break;
    case olaProbe::Answer::Failed:
        qWarning("DMXSendBox: could not ask olad whether universe %u has an output port", universe);
        setState(universe, DMXBOX_STATE_CONNECTED);
        break;
    case olaProbe::Answer::NoPort:
        setState(universe, DMXBOX_STATE_NO_PORT);
        break;
    case olaProbe::Answer::Patched:
        setState(universe, DMXBOX_STATE_CONNECTED);
        break;
    }
}

int olaOutput::shutdown()
{
    std::lock_guard<std::mutex> guard(m_sendMutex);
    if (!stopWorker())
        return 0;
    m_probe.reset();
    m_ready.reset();
    m_client.reset();
    return m_haveFrame && sendFinalFrame() ? 1 : 0;
}

bool olaOutput::stopWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping)
            return false;
        m_stopping = true;
        // Queued, not a direct Terminate(): that one is ignored until the loop runs and reads
        // the loop's running flag unguarded from this thread. A queued call also ends a loop
        // that has not started yet.
        if (m_checkServer)
            m_checkServer->Execute(
                ola::NewSingleCallback(m_checkServer, &ola::io::SelectServer::Terminate));
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
    return true;
}

bool olaOutput::sendFinalFrame()
{
    // A confirmed send, so the frame has reached olad before the process goes, even if the
    // streamed one was dropped.
    rpcWait wait;
    ola::client::OlaClientWrapper wrapper(false);
    if (!wrapper.Setup())
        return false;
    wrapper.GetClient()->SendDMX(
        m_universe, m_frame,
        ola::client::SendDMXArgs(ola::NewSingleCallback(&wait, &rpcWait::sent)));
    return wait.run(wrapper.GetSelectServer(), kFinalFrameTimeoutMs) && wait.ok();
}
