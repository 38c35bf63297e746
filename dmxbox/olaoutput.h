#ifndef OLAOUTPUT_H
#define OLAOUTPUT_H

#include <ola/DmxBuffer.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace ola
{
namespace client
{
class StreamingClient;
}
namespace io
{
class SelectServer;
}
} // namespace ola

class olaProbe;

// Puts frames on OLA universes through olad's streaming interface. The caller's thread only
// writes to an open connection (non-blocking socket) or leaves the frame to the worker;
// connecting and the patch check happen on a worker thread, at most once a second, so the
// caller never waits. The newest frame left to the worker goes out on the new connection
// before the caller gets it. Lives until the process ends; shutdown() stops it before exit.
// send() from one thread at a time (the output thread); state() and shutdown() from any.
class olaOutput
{
  public:
    static olaOutput &instance();

    // 1 when the frame went to olad, 0 when it was dropped.
    int send(int device, const unsigned char *frame);
    // A dmxbox_state for the device's universe; asks the worker to find out again when the
    // last check is old enough. Never waits for olad.
    int state(int device);
    // Stops the worker and the stream and hands the last frame over with a confirmed send;
    // later frames are dropped. Only the first call does anything. 1 when olad confirmed.
    int shutdown();

    olaOutput(const olaOutput &) = delete;
    olaOutput &operator=(const olaOutput &) = delete;

  private:
    enum class Link { Unknown, Down, Up };

    olaOutput() = default;
    ~olaOutput() = default;

    bool takeReadyClient();
    void keepPending();
    void dropClient();
    void run();
    bool waitForTurn(std::unique_lock<std::mutex> &lock);
    void connect(unsigned universe);
    bool handOver(std::unique_ptr<ola::client::StreamingClient> client);
    void checkPatch(unsigned universe);
    void setState(unsigned universe, int state);
    bool stopWorker();
    bool sendFinalFrame();

    // Owned by the sending side (m_sendMutex).
    std::mutex m_sendMutex;
    std::unique_ptr<ola::client::StreamingClient> m_client;
    ola::DmxBuffer m_frame;
    unsigned m_universe = 1;
    bool m_haveFrame = false;

    // Shared with the worker (m_mutex).
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_worker;
    std::unique_ptr<ola::client::StreamingClient> m_ready;
    // The newest frame that found no connection; the worker sends it on the next one.
    ola::DmxBuffer m_pending;
    unsigned m_pendingUniverse = 1;
    bool m_havePending = false;
    ola::io::SelectServer *m_checkServer = nullptr;
    unsigned m_wantedUniverse = 1;
    bool m_wanted = false;
    bool m_stopping = false;
    bool m_attempted = false;
    std::chrono::steady_clock::time_point m_lastAttempt;
    Link m_link = Link::Unknown;
    // What the worker last found out, and the checks the state() callers ask for.
    std::unique_ptr<olaProbe> m_probe;
    int m_state = 0;
    unsigned m_stateUniverse = 0;
    unsigned m_checkUniverse = 1;
    bool m_checkWanted = false;
    bool m_checkAsked = false;
    std::chrono::steady_clock::time_point m_lastCheck;
};

#endif
