#ifndef PLAYENGINE_H
#define PLAYENGINE_H

#include <QObject>

#include <array>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <pthread.h>
#include <thread>

class dimList;
class dmx;
class QSocketNotifier;
class QTimer;

// Playback and frame output: the tick, the hold, the frame packing and every call of the
// DMX library. With the output thread on (the program), ticks run on their own thread at
// absolute 30 ms deadlines and the window is told afterwards, coalesced; with it off (the
// tests), ticks and holds are driven by timers on the calling thread and everything is
// synchronous.
class playEngine : public QObject
{
    Q_OBJECT

  public:
    using clock = std::chrono::steady_clock;

    // Recursive, and with priority inheritance: a GUI thread holding it while the output
    // thread waits runs at the output thread's priority until it lets go, so that other
    // programs cannot hold up a tick by pre-empting the GUI thread.
    class tableMutex
    {
      public:
        tableMutex();
        ~tableMutex();
        tableMutex(const tableMutex &) = delete;
        tableMutex &operator=(const tableMutex &) = delete;
        void lock();
        // Letting go for the last time runs what waited for the lock to be free.
        void unlock();

      private:
        pthread_mutex_t m_mutex;
    };
    using tableLock = std::unique_lock<tableMutex>;

    playEngine(dimList *model, dmx *output);
    ~playEngine() override;

    // The one lock over the step table, the levels, the frame and the playback state. The
    // output thread holds it for one tick; every writer on the GUI thread takes it too.
    static tableLock lock();
    // Whether the calling thread holds the lock (at any depth).
    static bool lockHeldHere();
    // Runs `job` now, or, while the calling thread holds the lock, as soon as it has let go:
    // signals are emitted after unlocking, so that no receiver runs inside the lock.
    static void whenUnlocked(std::function<void()> job);

    QTimer *m_timer;     // the tick while the output thread is off
    QTimer *m_holdTimer; // the hold while the output thread is off

    void setOutputThread(bool on);
    bool outputThread() const { return m_threaded; }

    void enable(bool on);
    void tick();
    // A frame of the current levels; on the output thread when it runs.
    void sendFrame();
    // Hands the last frame over and stops the output thread.
    void finish();

    bool isTicking() const;
    bool isHolding() const;

  private:
    enum class phase { idle, ticking, holding };

    dimList *m_model;
    dmx *m_dmx;
    bool m_threaded = false;
    std::thread m_thread;
    std::condition_variable_any m_wake;
    bool m_quit = false;
    phase m_phase = phase::idle;
    clock::time_point m_nextTick;
    clock::time_point m_holdUntil;
    clock::time_point m_tickTime;
    clock::time_point m_lastSend;
    bool m_sendPending = false;
    unsigned char m_outFrame[512] = {};
    // Snapshots taken on the GUI thread: frame slot of each channel (-1 not sent, -2 the
    // patch is broken there) and the snap flags.
    int m_slotOf[512] = {};
    bool m_snap[512] = {};
    // What the window has still to hear about.
    std::bitset<512> m_dirty;
    int m_rowNews = -2;
    bool m_repeatNews = false;
    bool m_stopNews = false;
    bool m_updatePosted = false;
    // Wakes the GUI thread for a delivery: an eventfd, which the output thread can write
    // without waiting on any lock the GUI thread holds (Qt's event queue has one).
    int m_newsFd = -1;
    QSocketNotifier *m_newsNotifier = nullptr;
    // Ticks whose levels the window has not been told yet.
    int m_ticksUntold = 0;
    // Row loads on the output thread, logged later by the GUI thread: a write to stderr may
    // block, which a real-time thread must not.
    struct rowLoad {
        uint repeat;
        int ticks;
        int row;
        int start;
        int end;
    };
    std::array<rowLoad, 32> m_rowLoads = {};
    int m_rowLoadCount = 0;
    std::thread::id m_outputId;

    Q_SLOT void deliverUpdates();
    void newsArrived();
    void openNews();
    void closeNews();
    bool onOutputThread() const;
    void takeSnapshots();
    void stop();
    void runTick();
    void loadNextRow();
    void fadePass();
    void jumpTo(int row);
    void setLevel(int channel, int value);
    void rowLoaded(int row);
    void logRowLoad(const rowLoad &load);
    void repeatCounted();
    void startHold(int ms);
    void packAndSend();
    bool packFrame();
    void postUpdate();
    void run();
    void runDue(clock::time_point now);
    void sendPending(tableLock &held);
    clock::time_point wakeTime() const;
};

#endif
