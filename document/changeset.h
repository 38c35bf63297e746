#ifndef CHANGESET_H
#define CHANGESET_H

#include <functional>

// One operation on the show, bracketed on the GUI thread. The show is published to playback
// when the outermost bracket of the thread opens (catching writes made outside one) and when
// it closes, so that playback hears of an operation whole; and what waits for the operation's
// end, its announcements above all, runs after the outermost bracket has closed, so that no
// receiver sees the show halfway through an operation.
// GUI thread only; brackets nest, and each thread counts its own.
class changeSet
{
  public:
    changeSet();
    ~changeSet();
    changeSet(const changeSet &) = delete;
    changeSet &operator=(const changeSet &) = delete;

    // Closes the bracket before its scope ends (once).
    void close();

    // Whether an operation is under way on the calling thread.
    static bool isOpen();
    // Runs `job` now, or, while an operation is under way, once it has ended.
    static void afterwards(std::function<void()> job);
    // `publish` runs whenever the outermost bracket opens and closes, until withdrawn with
    // the same `owner`.
    static void publishWith(const void *owner, std::function<void()> publish);
    static void stopPublishing(const void *owner);

  private:
    bool m_open = true;
};

#endif
