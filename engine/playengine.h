#ifndef PLAYENGINE_H
#define PLAYENGINE_H

#include "playshow.h"
#include "sequencer.h"
#include "syncsnapshot.h"

#include <QObject>
#include <QVector>

#include <array>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <thread>

class engineClock;
class playbackWindow;
class showTimeline;
class QSocketNotifier;

// Playback and frame output: the tick, the hold, the frame packing and every call of the
// DMX library. Ticks run on the output thread at absolute 30 ms deadlines of the engine's
// clock, and the window is told afterwards on its own thread, coalesced. Nothing is sent
// before start(): a program that only converts files never starts the thread.
// The output thread runs the ticks and sends the frames on playback's own state: the current
// row, the levels, the frame and the fade, which only the engine writes. The window's views
// of them (playstate.h; the row through the window's editRow() and showRow()) belong to the
// GUI thread: the engine takes what the window wrote there at each of its GUI-thread calls,
// and writes playback's state back into them with each delivery of news. Every public call is for
// the GUI thread (the waits for the thread that drives a test's clock), except tempo(), timecode()
// and songClock(), whose states their source threads write.
class playEngine : public QObject
{
    Q_OBJECT

  public:
    using clock = std::chrono::steady_clock;

    // Playback's own state between the GUI thread's calls and the output thread's ticks; held
    // only inside the engine, for a tick or for the few copies of a GUI-thread call, never
    // while the GUI thread works on the show.
    // Recursive, and with priority inheritance: a GUI thread holding it while the output
    // thread waits runs at the output thread's priority until it lets go.
    class stateMutex
    {
      public:
        stateMutex();
        ~stateMutex();
        stateMutex(const stateMutex &) = delete;
        stateMutex &operator=(const stateMutex &) = delete;
        void lock();
        void unlock();

      private:
        pthread_mutex_t m_mutex;
    };
    using stateLock = std::unique_lock<stateMutex>;

    explicit playEngine(playbackWindow *window);
    ~playEngine() override;

    // The show the ticks play from now on. Playback's row follows the show's row moves; then
    // what the window wrote into its views is taken (takeWindowState()).
    void setShow(std::shared_ptr<const playShow> show);
    // What the window wrote into its views of the current row, the levels, the advance flag
    // and the frame since it last heard of playback's becomes playback's own.
    void takeWindowState();
    // The window picked the row its view names and loaded its levels: playback goes on from
    // there, whatever it stood on.
    void takePickedRow();
    // The views show playback's state now, between two deliveries of news; the window hears
    // of it with the next.
    void updateViews();

    // The time the output thread keeps (the steady clock by default). Only while it is
    // stopped.
    void setClock(std::shared_ptr<engineClock> time);
    std::shared_ptr<engineClock> timeSource() const { return m_clock; }

    // Starts the output thread; frames and ticks go out from then on.
    void start();
    bool running() const;
    // Hands the last frame over and stops the output thread.
    void finish();

    void enable(bool on);
    // One tick at once on the calling thread, through the same code the output thread runs.
    void tick();
    // A frame of the current levels, sent by the output thread.
    void sendFrame();
    // From now on every frame carries these levels (-1: the channel's own level) for the
    // first channels, and one is sent at once; empty to send the levels again.
    void setBlackout(const QVector<int> &levels);

    // The passes of the range still to play after this one.
    uint repeatsLeft() const;
    void setRepeatsLeft(uint times);

    bool isTicking() const;
    bool isHolding() const;

    // The live speed master: holds and fades take 1/factor of their time (kSlowest to
    // kFastest, clamped; 1.0 as written), from the hold or fade under way on. The table is not
    // changed.
    static constexpr double kSlowest = 0.1;
    static constexpr double kFastest = 4.0;
    void setSpeed(double factor);
    double speed() const;

    // Tempo and timecode as their sources publish them; the output thread only reads them,
    // without waiting.
    tempoState &tempo() { return m_tempo; }
    timecodeState &timecode() { return m_timecode; }
    // The song's clock, shared with its player, which may outlive the engine.
    songClockState &songClock() { return *m_song; }
    std::shared_ptr<songClockState> songClockShared() const { return m_song; }
    // Beat steps: each step lasts `beats` beats of the tempo (0.5 to 16) instead of its hold,
    // starting on a beat; fades keep their time but never outlast the step. 0: off. Without
    // a tempo the steps keep their own holds.
    void setBeatSteps(double beats);
    double beatSteps() const;
    // The next step starts on the beat nearest to its load, as after a clock's Start.
    void restartBeats();
    // Chase: while playing, every tick shows the frame `line` gives for the last timecode
    // received (or the song's position at the tick) less `offsetMs`, instead of running the
    // steps. Null: free-running again.
    enum class chaseSource { timecode, song };
    void setChase(std::shared_ptr<const showTimeline> line, qint64 offsetMs,
                  chaseSource from = chaseSource::timecode);
    bool chasing() const;
    // The timecode the output last followed, in ms; -1 when none came yet.
    qint64 chasedMs() const;

    // For tests and benchmarks, which drive the clock. Waits (at most `timeout` of real time)
    // until the output thread has done everything due at the clock's present time and waits
    // for the next deadline; false on time-out or when it does not run.
    bool waitIdle(std::chrono::milliseconds timeout) const;
    // Waits (at most `timeout`) until every frame asked for has been handed to the library.
    bool waitFramesSent(std::chrono::milliseconds timeout) const;
    // The time the idle output thread waits for.
    clock::time_point nextWake() const;
    // Any thread, for benchmarks: playback's row and a channel's level as the ticks left them.
    struct outputNow {
        int level;
        int row;
    };
    outputNow now(int channel) const;
    // News for the window posted and not yet delivered.
    bool newsPending() const;
    // Ticks run since the engine was made.
    quint64 ticksRun() const;
    // From now to the next tick while ticking, to the end of the hold while holding.
    clock::duration dueIn() const;

    // On the GUI thread. While the window is minimised or hidden, rows and levels are kept
    // back from it, as nothing would show them; on its return it hears of them at once.
    void setWindowShown(bool shown);
    // The least time between two deliveries of playback's news to the window; zero (the
    // default) tells it levels every other tick and every row at once.
    void setWindowGap(clock::duration gap);
    bool windowShown() const { return m_windowShown; }
    // Frames reach the interface only while on.
    void setOutputEnabled(bool on);

  private:
    enum class phase { idle, ticking, holding };

    playbackWindow *m_window;
    mutable stateMutex m_mutex;
    // Playback's own state, written by the ticks and by the GUI thread's calls: where it
    // stands in the show (row, levels, fade, repeats, beat), and the frame.
    sequencer m_seq;
    bool m_playing = false;
    unsigned char m_frame[512] = {};
    // What the window's views held when they last heard of playback's state or it took
    // theirs: a view that differs now was written by the window. GUI thread only.
    int m_viewRow = -1;
    int m_viewAdvance = 1;
    unsigned char m_viewLevels[512] = {};
    unsigned char m_viewFrame[512] = {};
    bool m_framePacked = false;
    // The output thread reads no rows but these.
    std::shared_ptr<const playShow> m_show = std::make_shared<const playShow>();
    std::shared_ptr<engineClock> m_clock;
    std::thread m_thread;
    std::condition_variable_any m_wake;
    bool m_quit = false;
    // What the thread last waited for, for waitIdle(): wake-ups asked for (m_wakes) and
    // those already seen when it went to sleep, and whether and until when it sleeps.
    mutable std::condition_variable_any m_idleChanged;
    quint64 m_wakes = 0;
    quint64 m_wakesSeen = 0;
    bool m_waiting = false;
    clock::time_point m_waitUntil;
    quint64 m_ticks = 0;
    double m_speed = 1.0;
    tempoState m_tempo;
    timecodeState m_timecode;
    std::shared_ptr<songClockState> m_song = std::make_shared<songClockState>();
    double m_beats = 0.0;
    std::shared_ptr<const showTimeline> m_chase;
    qint64 m_chaseOffset = 0;
    chaseSource m_chaseFrom = chaseSource::timecode;
    qint64 m_chasedMs = -1;
    bool m_chaseFresh = false;
    phase m_phase = phase::idle;
    clock::time_point m_nextTick;
    clock::time_point m_holdUntil;
    clock::time_point m_tickTime;
    clock::time_point m_lastSend;
    bool m_sendPending = false;
    unsigned char m_outFrame[512] = {};
    // The levels a stop left the output on; the faders show the red row meanwhile, and a
    // resume with those untouched goes on from here.
    unsigned char m_stoppedAt[512] = {};
    bool m_stoppedMidway = false;
    // Playback was started on the range's start row: its first tick enters the range.
    bool m_enterRange = false;
    // Snapshots taken on the GUI thread: frame slot of each channel (-1 not sent, -2 the
    // patch is broken there) and the snap flags.
    int m_slotOf[512] = {};
    bool m_snap[512] = {};
    // The blackout's level per channel, -1 where the channel's own level goes out.
    int m_override[512] = {};
    bool m_overriding = false;
    bool m_outputOn = false;
    // What the window has still to hear about, besides the levels (m_seq.dirty).
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
    // With a gap: ticks the window has not heard of, waiting for m_lastNews + the gap.
    clock::duration m_windowGap = clock::duration::zero();
    bool m_newsWaiting = false;
    clock::time_point m_lastNews;
    // Row loads on the output thread, logged later by the GUI thread: a write to stderr may
    // block, which a real-time thread must not.
    using rowLoad = sequencer::rowLoad;
    std::array<rowLoad, 32> m_rowLoads = {};
    int m_rowLoadCount = 0;
    // GUI thread only: what was kept back from the hidden window.
    bool m_windowShown = true;
    std::bitset<512> m_levelsKept;
    bool m_rowKept = false;

    stateLock held() const { return stateLock(m_mutex); }
    void takeViews();
    void tellViews();
    Q_SLOT void deliverUpdates();
    void tellWindow(const std::bitset<512> &levels, bool row);
    bool resumeWhereStopped();
    void newsArrived();
    void openNews();
    void closeNews();
    void wake();
    bool idle() const;
    void takeSnapshots();
    void stop();
    void runTick();
    sequencer::inputs tickInputs(bool enterRange) const;
    void chaseTick();
    qint64 chaseMs() const;
    bool beatTempo(tempoSnapshot &tempo) const;
    void rowLoaded(int row);
    void logRowLoad(const rowLoad &load);
    void repeatCounted();
    void startHold(int ms);
    void packAndSend();
    bool packFrame();
    void postUpdate();
    void tellWindowSoon();
    void run();
    void waitForWork(stateLock &held);
    void runDue(clock::time_point now);
    void sendPending(stateLock &held);
    clock::time_point wakeTime() const;
};

#endif
