#include "playengine.h"

#include "dmxbox.h"
#include "engineclock.h"
#include "faderamp.h"
#include "playbackwindow.h"
#include "playstate.h"
#include "realtimekit.h"
#include "showtimeline.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>

#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace
{
constexpr int kChannels = 512;
// Ticks per update of the window's levels while playing, when no gap is set.
constexpr int kWindowTicks = 2;
// The sequencer's step is the output's period.
constexpr auto kTick = sequencer::kTick;
// Two frames never closer than this, whatever asks for them.
constexpr auto kMinGap = std::chrono::milliseconds(15);
// Deadlines missed by more than this (a suspended machine) are given up, not caught up.
constexpr auto kResync = std::chrono::seconds(1);
constexpr auto kIdleWake = std::chrono::seconds(1);
// Modest: above the desktop, below the kernel's own real-time threads.
constexpr int kRtPriority = 10;

// Without the right to ask the kernel, as a desktop user usually is.
void askRealtimeKit()
{
    realtimeKit kit(QDBusConnection::systemBus());
    const int granted = kit.makeThreadRealtime(gettid(), kRtPriority);
    if (granted > 0 && sched_getscheduler(0) != SCHED_OTHER)
        qInfo() << "DMX output thread: real-time priority SCHED_RR" << granted
                << "from RealtimeKit";
    else
        qInfo().noquote() << QStringLiteral(
                                 "DMX output thread: normal priority (no real-time permission; "
                                 "RealtimeKit: %1)")
                                 .arg(granted > 0 ? QStringLiteral("not applied") : kit.why());
}

void askForRealtime()
{
    sched_param param{};
    param.sched_priority = kRtPriority;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
        qInfo() << "DMX output thread: real-time priority SCHED_FIFO" << kRtPriority;
    else if (pthread_setschedparam(pthread_self(), SCHED_RR, &param) == 0)
        qInfo() << "DMX output thread: real-time priority SCHED_RR" << kRtPriority;
    else
        askRealtimeKit();
}
} // namespace

playEngine::playEngine(playbackWindow *window)
    : QObject(nullptr), m_window(window), m_clock(std::make_shared<engineClock>())
{
    std::fill(std::begin(m_slotOf), std::end(m_slotOf), -1);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &playEngine::finish);
}

playEngine::~playEngine()
{
    finish();
}

playEngine::stateMutex::stateMutex()
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

playEngine::stateMutex::~stateMutex()
{
    pthread_mutex_destroy(&m_mutex);
}

void playEngine::stateMutex::lock()
{
    pthread_mutex_lock(&m_mutex);
}

void playEngine::stateMutex::unlock()
{
    pthread_mutex_unlock(&m_mutex);
}

void playEngine::setShow(std::shared_ptr<const playShow> show)
{
    const auto locked = held();
    for (const rowMove &move : show->moves) {
        m_seq.row = move.follow(m_seq.row);
        m_viewRow = move.follow(m_viewRow);
    }
    const int last = show->rows.size() - 1;
    m_seq.row = qBound(-1, m_seq.row, last);
    m_viewRow = qBound(-1, m_viewRow, last);
    m_show = std::move(show);
    takeViews();
    wake();
}

void playEngine::takeWindowState()
{
    const auto locked = held();
    takeViews();
}

void playEngine::takePickedRow()
{
    const auto locked = held();
    m_seq.row = m_viewRow = m_window->editRow();
    std::memcpy(m_seq.levels, g_dimValue, sizeof m_seq.levels);
    std::memcpy(m_viewLevels, g_dimValue, sizeof m_viewLevels);
    takeViews();
}

void playEngine::updateViews()
{
    const auto locked = held();
    tellViews();
}

// GUI thread, locked: a view that no longer holds what it last heard was written by the
// window, and that write is playback's now.
void playEngine::takeViews()
{
    const int editRow = m_window->editRow();
    if (editRow != m_viewRow)
        m_seq.row = m_viewRow = editRow;
    if (g_advanceRow != m_viewAdvance) {
        m_viewAdvance = g_advanceRow;
        m_seq.advance = g_advanceRow != 0;
    }
    if (std::memcmp(g_dimValue, m_viewLevels, sizeof m_viewLevels) != 0) {
        for (int c = 0; c < kChannels; ++c) {
            if (g_dimValue[c] != m_viewLevels[c])
                m_seq.levels[c] = m_viewLevels[c] = g_dimValue[c];
        }
    }
    if (std::memcmp(g_dmxFrame, m_viewFrame, sizeof m_viewFrame) != 0) {
        for (int c = 0; c < kChannels; ++c) {
            if (g_dmxFrame[c] != m_viewFrame[c])
                m_frame[c] = m_viewFrame[c] = g_dmxFrame[c];
        }
    }
}

// GUI thread, locked: the views show playback's state. What the window wrote since it last
// heard is taken first, so that no write of its own is lost.
void playEngine::tellViews()
{
    takeViews();
    m_viewRow = m_seq.row;
    m_window->showRow(m_seq.row);
    g_advanceRow = m_viewAdvance = m_seq.advance ? 1 : 0;
    g_playEnable = m_playing;
    std::memcpy(g_dimValue, m_seq.levels, sizeof m_seq.levels);
    std::memcpy(m_viewLevels, m_seq.levels, sizeof m_seq.levels);
    if (m_framePacked) {
        std::memcpy(g_dmxFrame, m_frame, sizeof m_frame);
        std::memcpy(m_viewFrame, m_frame, sizeof m_frame);
        m_framePacked = false;
    }
}

void playEngine::setClock(std::shared_ptr<engineClock> time)
{
    const auto locked = held();
    if (!m_thread.joinable() && time) {
        m_clock = std::move(time);
        m_clock->guardWith(&m_mutex);
    }
}

void playEngine::start()
{
    const auto locked = held();
    if (m_thread.joinable())
        return;
    takeViews();
    m_quit = false;
    m_phase = m_playing ? phase::ticking : phase::idle;
    m_nextTick = m_clock->now() + kTick;
    takeSnapshots();
    openNews();
    m_thread = std::thread([this] { run(); });
}

bool playEngine::running() const
{
    const auto locked = held();
    return m_thread.joinable();
}

void playEngine::finish()
{
    {
        const auto locked = held();
        if (!m_thread.joinable())
            return;
        m_quit = true;
        wake();
    }
    m_thread.join();
    const auto locked = held();
    m_waiting = false;
    m_phase = phase::idle;
    closeNews();
}

void playEngine::openNews()
{
    m_newsFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_newsFd < 0)
        return;
    m_newsNotifier = new QSocketNotifier(m_newsFd, QSocketNotifier::Read, this);
    connect(m_newsNotifier, &QSocketNotifier::activated, this, &playEngine::newsArrived);
}

void playEngine::closeNews()
{
    delete m_newsNotifier;
    m_newsNotifier = nullptr;
    if (m_newsFd >= 0)
        close(m_newsFd);
    m_newsFd = -1;
    // A delivery asked for and not yet made still reaches the window.
    if (m_updatePosted)
        QMetaObject::invokeMethod(this, "deliverUpdates", Qt::QueuedConnection);
}

void playEngine::newsArrived()
{
    quint64 count = 0;
    if (read(m_newsFd, &count, sizeof count) < 0)
        count = 0;
    deliverUpdates();
}

// Every change the output thread has to look at goes through here, locked.
void playEngine::wake()
{
    ++m_wakes;
    m_wake.notify_all();
}

bool playEngine::isTicking() const
{
    const auto locked = held();
    return m_playing && m_phase == phase::ticking;
}

bool playEngine::isHolding() const
{
    const auto locked = held();
    return m_playing && m_phase == phase::holding;
}

bool playEngine::idle() const
{
    return m_waiting && m_wakesSeen == m_wakes && m_waitUntil > m_clock->now();
}

bool playEngine::waitIdle(std::chrono::milliseconds timeout) const
{
    auto locked = held();
    return m_idleChanged.wait_for(locked, timeout,
                                  [this] { return m_thread.joinable() && idle(); });
}

bool playEngine::waitFramesSent(std::chrono::milliseconds timeout) const
{
    auto locked = held();
    return m_idleChanged.wait_for(
        locked, timeout, [this] { return !m_thread.joinable() || (m_waiting && !m_sendPending); });
}

playEngine::clock::time_point playEngine::nextWake() const
{
    const auto locked = held();
    return m_waitUntil;
}

playEngine::outputNow playEngine::now(int channel) const
{
    const auto locked = held();
    return {m_seq.levels[qBound(0, channel, kChannels - 1)], m_seq.row};
}

bool playEngine::newsPending() const
{
    const auto locked = held();
    return m_updatePosted;
}

quint64 playEngine::ticksRun() const
{
    const auto locked = held();
    return m_ticks;
}

playEngine::clock::duration playEngine::dueIn() const
{
    const auto locked = held();
    const auto now = m_clock->now();
    if (m_phase == phase::holding)
        return m_holdUntil - now;
    return m_phase == phase::ticking ? m_nextTick - now : clock::duration::zero();
}

// The patch and the snap flags are QObjects edited on the GUI thread; the output thread
// works on copies taken here, on the GUI thread, before every tick it is told about.
void playEngine::takeSnapshots()
{
    m_window->outputSetup(m_slotOf, m_snap);
}

void playEngine::stop()
{
    const auto locked = held();
    takeViews();
    m_stoppedMidway = m_playing && m_phase == phase::ticking && !m_seq.advance;
    std::memcpy(m_stoppedAt, m_seq.levels, sizeof m_stoppedAt);
    m_phase = phase::idle;
    m_playing = false;
    tellViews();
    m_window->setLiveSending(true);
    // Levels and rows of the last ticks not told yet.
    if (m_seq.dirty.any() || m_newsWaiting)
        postUpdate();
    wake();
}

void playEngine::enable(bool on)
{
    if (!on) {
        stop();
        return;
    }
    const auto locked = held();
    takeViews();
    if (m_show->rows.isEmpty()) {
        // Never start on an empty table; a hold ending after the table was emptied stops.
        if (m_playing)
            stop();
        return;
    }
    const bool resumed = resumeWhereStopped();
    m_playing = true;
    m_window->setLiveSending(false);
    takeSnapshots();
    if (m_phase != phase::ticking) {
        if (m_phase == phase::idle) {
            m_seq.beatNext = std::numeric_limits<double>::quiet_NaN();
            m_enterRange = !resumed && m_seq.row == m_show->playStart;
        }
        m_phase = phase::ticking;
        m_nextTick = m_clock->now() + kTick;
        wake();
    }
    tellViews();
}

// A fade stopped midway goes on from the output it had reached, unless the faders were
// moved or another row picked while it stood. True when it does.
bool playEngine::resumeWhereStopped()
{
    if (!m_stoppedMidway || m_playing)
        return false;
    m_stoppedMidway = false;
    const stepTable &rows = m_show->rows;
    const int row = m_seq.row;
    if (row < 0 || row >= rows.size())
        return false;
    const stepTable::rowLevels target = rows.levelsIn(row);
    for (int c = 0; c < kChannels; ++c) {
        if (m_seq.levels[c] != target[c])
            return false;
    }
    for (int c = 0; c < kChannels; ++c)
        m_seq.setLevel(c, m_stoppedAt[c]);
    if (m_seq.dirty.any())
        postUpdate();
    return true;
}

uint playEngine::repeatsLeft() const
{
    const auto locked = held();
    return m_seq.repeatsLeft;
}

void playEngine::setRepeatsLeft(uint times)
{
    const auto locked = held();
    m_seq.repeatsLeft = times;
}

void playEngine::setBeatSteps(double beats)
{
    const auto locked = held();
    const double was = m_beats;
    m_beats = beats > 0 ? qBound(0.5, beats, 16.0) : 0.0;
    if (m_beats != was)
        m_seq.beatNext = std::numeric_limits<double>::quiet_NaN();
    wake();
}

double playEngine::beatSteps() const
{
    const auto locked = held();
    return m_beats;
}

void playEngine::restartBeats()
{
    const auto locked = held();
    m_seq.beatNext = std::numeric_limits<double>::quiet_NaN();
}

void playEngine::setChase(std::shared_ptr<const showTimeline> line, qint64 offsetMs,
                          chaseSource from)
{
    const auto locked = held();
    m_chase = std::move(line);
    m_chaseOffset = offsetMs;
    m_chaseFrom = from;
    m_chaseFresh = true;
    // A hold under way ends now: the chase shows every tick.
    if (m_chase && m_phase == phase::holding) {
        m_phase = phase::ticking;
        m_nextTick = m_clock->now() + kTick;
    }
    // Free-running again: the next tick loads the row after the one the chase left.
    if (!m_chase) {
        takeViews();
        m_seq.advance = true;
        tellViews();
    }
    wake();
}

bool playEngine::chasing() const
{
    const auto locked = held();
    return m_chase != nullptr;
}

qint64 playEngine::chasedMs() const
{
    const auto locked = held();
    return m_chasedMs;
}

// Live: the hold under way ends sooner or later by the same ratio, and the fade under way
// moves its remaining distance in correspondingly fewer or more ticks.
void playEngine::setSpeed(double factor)
{
    const auto locked = held();
    const double before = m_speed;
    m_speed = qBound(kSlowest, factor, kFastest);
    const double ratio = m_speed / before;
    if (ratio == 1.0)
        return;
    if (m_playing && m_phase == phase::holding) {
        const auto now = m_clock->now();
        const auto left = m_holdUntil > now ? m_holdUntil - now : clock::duration::zero();
        m_holdUntil = now + std::chrono::duration_cast<clock::duration>(left / ratio);
        wake();
    }
    for (float &step : m_seq.fadeStep)
        step *= float(ratio);
}

double playEngine::speed() const
{
    const auto locked = held();
    return m_speed;
}

void playEngine::tick()
{
    const auto locked = held();
    takeViews();
    takeSnapshots();
    m_tickTime = m_clock->now();
    runTick();
    tellViews();
    postUpdate();
}

// Counts every tick, and tells the window when the table was empty; the window then stops.
void playEngine::runTick()
{
    ++m_ticks;
    if (m_show->rows.isEmpty()) {
        m_phase = phase::idle;
        m_stopNews = true;
        postUpdate();
        return;
    }
    const bool enter = m_enterRange;
    m_enterRange = false;
    if (m_chase) {
        chaseTick();
        return;
    }
    const sequencer::outcome step = m_seq.tick(*m_show, tickInputs(enter));
    if (step.loaded) {
        rowLoaded(step.load.row);
        if (m_rowLoadCount < int(m_rowLoads.size()))
            m_rowLoads[size_t(m_rowLoadCount++)] = step.load;
    }
    if (step.repeatCounted)
        repeatCounted();
    if (step.frame)
        packAndSend();
    if (!step.holds)
        return;
    startHold(step.holdMs);
    if (step.holdOnBeat)
        m_holdUntil = std::max(m_tickTime, step.holdUntil);
}

// What the tick runs with: its deadline, the speed master, the snap flags and the beats.
sequencer::inputs playEngine::tickInputs(bool enterRange) const
{
    sequencer::inputs in;
    in.at = m_tickTime;
    in.speed = m_speed;
    in.snap = m_snap;
    in.enterRange = enterRange;
    if (m_beats > 0) {
        in.beats = m_beats;
        in.tempo = m_tempo.read();
    }
    return in;
}

void playEngine::logRowLoad(const rowLoad &load)
{
    qDebug() << "m_repeat" << load.repeat << "m_times" << load.ticks << "currentRow" << load.row
             << "[from" << load.start << "to" << load.end << "]";
}

// The time the chase shows at this tick: the timecode last received, or where the song
// stands at the tick's deadline, guessed on from its player's last word so that the frames
// keep their 30 ms between the audio's callbacks. -1: nothing to follow.
qint64 playEngine::chaseMs() const
{
    if (m_chaseFrom == chaseSource::timecode)
        return m_timecode.read().ms;
    const qint64 tickNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(m_tickTime.time_since_epoch()).count();
    const qint64 us = m_song->read().usAt(tickNs);
    return us < 0 ? -1 : us / 1000;
}

// The frame of the timecode last received; a timecode that stands still sends nothing new.
void playEngine::chaseTick()
{
    const qint64 ms = chaseMs();
    if (ms < 0 || (ms == m_chasedMs && !m_chaseFresh))
        return;
    m_chasedMs = ms;
    m_chaseFresh = false;
    const showTimeline::position at = m_chase->locate(ms - m_chaseOffset);
    const showTimeline::levels levels = m_chase->levelsAt(at);
    for (int ch = 0; ch < kChannels; ++ch)
        m_seq.setLevel(ch, levels[size_t(ch)]);
    if (m_seq.row != at.row) {
        m_seq.row = at.row;
        rowLoaded(at.row);
    }
    if (m_seq.repeatsLeft != at.repeat) {
        m_seq.repeatsLeft = at.repeat;
        repeatCounted();
    }
    packAndSend();
}

bool playEngine::beatTempo(tempoSnapshot &tempo) const
{
    if (m_beats <= 0)
        return false;
    tempo = m_tempo.read();
    return tempo.periodNs > 0;
}

void playEngine::rowLoaded(int row)
{
    m_rowNews = row;
}

void playEngine::repeatCounted()
{
    m_repeatNews = true;
}

void playEngine::startHold(int ms)
{
    // From the tick's deadline, not from when it ran, so that show time does not drift.
    // The window sees the levels the hold keeps.
    m_phase = phase::holding;
    if (ms > 0 || m_windowGap == clock::duration::zero())
        postUpdate();
    else
        tellWindowSoon();
    m_holdUntil = m_tickTime + std::chrono::milliseconds(ms);
    wake();
}

void playEngine::packAndSend()
{
    if (packFrame()) {
        m_sendPending = true;
        wake();
    }
}

// The frame through the patch copy; false when nothing is to be sent.
bool playEngine::packFrame()
{
    if (!m_outputOn)
        return false;
    for (int c = 0; c < kChannels; ++c) {
        const int slot = m_slotOf[c];
        if (slot == -2) {
            qDebug() << "发生了错误";
            return false;
        }
        if (slot >= 0 && slot < kChannels)
            m_frame[slot] = m_overriding && m_override[c] >= 0
                                ? static_cast<unsigned char>(m_override[c])
                                : m_seq.levels[c];
    }
    std::memcpy(m_outFrame, m_frame, sizeof m_outFrame);
    m_framePacked = true;
    return true;
}

void playEngine::sendFrame()
{
    const auto locked = held();
    takeViews();
    takeSnapshots();
    if (packFrame()) {
        m_sendPending = true;
        wake();
    }
    tellViews();
}

void playEngine::setBlackout(const QVector<int> &levels)
{
    const auto locked = held();
    m_overriding = !levels.isEmpty();
    for (int c = 0; c < kChannels; ++c)
        m_override[c] = qBound(-1, levels.value(c, -1), 255);
    takeViews();
    takeSnapshots();
    if (packFrame()) {
        m_sendPending = true;
        wake();
    }
    tellViews();
}

void playEngine::postUpdate()
{
    m_newsWaiting = false;
    if (m_updatePosted)
        return;
    m_updatePosted = true;
    m_lastNews = m_clock->now();
    if (m_newsFd >= 0) {
        const quint64 one = 1;
        if (write(m_newsFd, &one, sizeof one) == sizeof one)
            return;
    }
    // By name: the queued call is then built inside Qt, out of this thread's sight.
    QMetaObject::invokeMethod(this, "deliverUpdates", Qt::QueuedConnection);
}

// On the GUI thread: whatever ticks happened since the last delivery, told once, latest
// state first in the order the window needs it.
void playEngine::deliverUpdates()
{
    std::bitset<kChannels> dirty;
    int row = -2;
    bool repeatNews = false;
    bool stopNews = false;
    uint repeat = 0;
    std::array<rowLoad, 32> loads;
    int loadCount = 0;
    {
        const auto locked = held();
        tellViews();
        loads = m_rowLoads;
        loadCount = m_rowLoadCount;
        m_rowLoadCount = 0;
        m_ticksUntold = 0;
        dirty = m_seq.dirty;
        m_seq.dirty.reset();
        row = m_rowNews;
        m_rowNews = -2;
        repeatNews = m_repeatNews;
        m_repeatNews = false;
        stopNews = m_stopNews;
        m_stopNews = false;
        repeat = m_seq.repeatsLeft;
        m_updatePosted = false;
        takeSnapshots();
    }
    for (int i = 0; i < loadCount; ++i)
        logRowLoad(loads[size_t(i)]);
    // The table was empty at a tick: stop, unless rows came back meanwhile.
    if (stopNews)
        enable(g_playEnable);
    if (repeatNews)
        m_window->tellRepeats(repeat);
    if (!m_windowShown) {
        m_levelsKept |= dirty;
        m_rowKept = m_rowKept || row != -2;
        if (stopNews)
            m_window->tellStopped();
        return;
    }
    // A stop of the empty table's reaches the window through the model.
    if (row == -2 && stopNews)
        m_window->tellStopped();
    tellWindow(dirty, row != -2);
}

void playEngine::tellWindow(const std::bitset<kChannels> &levels, bool row)
{
    if (row)
        m_window->tellRowLoaded();
    m_window->tellLevels(levels);
}

void playEngine::setWindowShown(bool shown)
{
    if (shown == m_windowShown)
        return;
    m_windowShown = shown;
    if (!shown)
        return;
    // What is still on its way, then what was kept back: the window shows the present.
    deliverUpdates();
    const std::bitset<kChannels> levels = m_levelsKept;
    const bool row = m_rowKept;
    m_levelsKept.reset();
    m_rowKept = false;
    tellWindow(levels, row);
}

void playEngine::run()
{
    if (m_clock->paced())
        askForRealtime();
    auto locked = held();
    while (!m_quit) {
        runDue(m_clock->now());
        sendPending(locked);
        if (m_quit)
            break;
        waitForWork(locked);
    }
    // The last frame asked for still goes out, at its distance from the one before.
    if (m_sendPending) {
        const auto earliest = m_lastSend + kMinGap;
        locked.unlock();
        m_clock->sleepUntil(earliest);
        locked.lock();
        sendPending(locked);
    }
}

// Whatever was asked before this point is in the state wakeTime() reads, so a wait that
// follows misses nothing.
void playEngine::waitForWork(stateLock &held)
{
    m_wakesSeen = m_wakes;
    m_waitUntil = wakeTime();
    m_waiting = true;
    m_idleChanged.notify_all();
    m_clock->waitUntil(m_wake, held, m_waitUntil);
    m_waiting = false;
}

void playEngine::runDue(clock::time_point now)
{
    if (!m_playing)
        return;
    tempoSnapshot tempo;
    if (m_phase == phase::holding && !std::isnan(m_seq.beatNext) && beatTempo(tempo))
        m_holdUntil = std::max(m_tickTime, m_seq.beatHoldEnd(tempo));
    if (m_phase == phase::holding && now >= m_holdUntil) {
        m_phase = phase::ticking;
        m_nextTick = m_holdUntil + kTick;
    }
    if (m_phase != phase::ticking || now < std::max(m_nextTick, m_lastSend + kMinGap))
        return;
    if (now - m_nextTick > kResync)
        m_nextTick = now;
    // Absolute deadlines: a late tick does not move the ones after it.
    m_tickTime = m_nextTick;
    m_nextTick += kTick;
    runTick();
    if (m_windowGap > clock::duration::zero())
        tellWindowSoon();
    else if (++m_ticksUntold >= kWindowTicks || m_rowNews != -2 || m_repeatNews || m_stopNews)
        postUpdate();
}

// With a gap set, the window hears of ticks at most once per gap; news that has to wait goes
// with a later tick, with the start of a hold or with a stop, whichever comes first.
void playEngine::tellWindowSoon()
{
    m_newsWaiting = true;
    if (m_stopNews || m_clock->now() >= m_lastNews + m_windowGap)
        postUpdate();
}

void playEngine::setOutputEnabled(bool on)
{
    const auto locked = held();
    m_outputOn = on;
}

void playEngine::setWindowGap(clock::duration gap)
{
    const auto locked = held();
    m_windowGap = gap;
}

void playEngine::sendPending(stateLock &held)
{
    const auto now = m_clock->now();
    if (!m_sendPending || now < m_lastSend + kMinGap)
        return;
    unsigned char frame[kChannels];
    std::memcpy(frame, m_outFrame, sizeof frame);
    m_sendPending = false;
    held.unlock();
    DMXSendBox(0, frame);
    held.lock();
    // Counted from the call's return: a stall between deciding to send and the library
    // taking the frame must not bring the next frame closer to it.
    m_lastSend = m_clock->now();
}

playEngine::clock::time_point playEngine::wakeTime() const
{
    auto wake = m_clock->now() + kIdleWake;
    if (m_playing && m_phase == phase::ticking)
        wake = std::min(wake, std::max(m_nextTick, m_lastSend + kMinGap));
    if (m_playing && m_phase == phase::holding)
        wake = std::min(wake, m_holdUntil);
    // A hold on the beat looks at the tempo every tick, which may move its end.
    if (m_playing && m_phase == phase::holding && m_beats > 0)
        wake = std::min(wake, m_clock->now() + kTick);
    if (m_sendPending)
        wake = std::min(wake, m_lastSend + kMinGap);
    return wake;
}
