#ifndef OLAPROBE_H
#define OLAPROBE_H

#include <ola/client/ClientWrapper.h>

#include <memory>
#include <vector>

// Asks olad whether a universe has an output port, over one connection that is kept between
// questions: a stalled olad then leaves a question unanswered instead of collecting a new
// connection in its listen queue every time. Used from one thread at a time.
class olaProbe
{
  public:
    enum class Answer { NoDaemon, NoAnswer, Failed, NoPort, Patched };

    olaProbe();
    ~olaProbe();

    // Waits at most timeoutMs for olad. The server() of a running ask may be terminated
    // from another thread to end it early (it then reports NoAnswer).
    Answer ask(unsigned universe, unsigned timeoutMs);
    // The event loop ask() runs, or null while there is no connection.
    ola::io::SelectServer *server() const;
    // Opens the connection if there is none; false when olad cannot be reached.
    bool open();
    // Drops the connection, so the next question starts on a new one.
    void close();

    olaProbe(const olaProbe &) = delete;
    olaProbe &operator=(const olaProbe &) = delete;

  private:
    void closed();
    void universes(unsigned question, const ola::client::Result &result,
                   const std::vector<ola::client::OlaUniverse> &list);

    std::unique_ptr<ola::client::OlaClientWrapper> m_wrapper;
    unsigned m_question = 0;
    unsigned m_universe = 0;
    bool m_answered = false;
    bool m_ok = false;
    bool m_patched = false;
    bool m_closed = false;
    bool m_broken = false;
};

#endif
