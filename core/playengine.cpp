#include "playengine.h"

#include "dim.h"
#include "dimlist.h"
#include "dmx.h"
#include "dmxbox.h"
#include "light_list.h"
#include "realtimekit.h"

#include <QCoreApplication>
#include <QDebug>
#include <QSocketNotifier>
#include <QTimer>

#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace
{
constexpr int kChannels = 512;
constexpr int kTickMs = 30;
// Ticks per update of the window's levels while playing.
constexpr int kWindowTicks = 2;
constexpr auto kTick = std::chrono::milliseconds(kTickMs);
// Two frames never closer than this, whatever asks for them.
constexpr auto kMinGap = std::chrono::milliseconds(15);
// Deadlines missed by more than this (a suspended machine) are given up, not caught up.
constexpr auto kResync = std::chrono::seconds(1);
constexpr auto kIdleWake = std::chrono::seconds(1);
// Modest: above the desktop, below the kernel's own real-time threads.
constexpr int kRtPriority = 10;

// Fade and speed cells above 1 count three ticks per unit.
int scaled(int cell)
{
    return cell <= 1 ? cell : 3 * cell;
}

// Levels are bytes; a larger cell is aimed at 255 so that the channel can still arrive.
int fadeTarget(quint16 cell)
{
    return cell > 255 ? 255 : cell;
}

bool validRow(const dimList *m, int row)
{
    return row >= 0 && row < m->m_data.size();
}

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

playEngine::playEngine(dimList *model, dmx *output)
    : QObject(nullptr), m_timer(new QTimer(this)), m_holdTimer(new QTimer(this)), m_model(model),
      m_dmx(output)
{
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &playEngine::tick);
    m_holdTimer->setSingleShot(true);
    // Precise, as the tick: a coarse timer may end a 600 ms hold up to 30 ms late.
    m_holdTimer->setTimerType(Qt::PreciseTimer);
    connect(m_holdTimer, &QTimer::timeout, m_model,
            static_cast<void (dimList::*)()>(&dimList::sendDmxEnable));
    std::fill(std::begin(m_slotOf), std::end(m_slotOf), -1);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                &playEngine::finish);
}

playEngine::~playEngine()
{
    finish();
}

playEngine::tableMutex::tableMutex()
{
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setprotocol(&attr, PTHREAD_PRIO_INHERIT);
    pthread_mutex_init(&m_mutex, &attr);
    pthread_mutexattr_destroy(&attr);
}

playEngine::tableMutex::~tableMutex()
{
    pthread_mutex_destroy(&m_mutex);
}

namespace
{
// Lock depth and the jobs waiting for it to reach 0, per thread.
thread_local int t_lockDepth = 0;
thread_local std::vector<std::function<void()>> t_afterUnlock;
} // namespace

void playEngine::tableMutex::lock()
{
    pthread_mutex_lock(&m_mutex);
    ++t_lockDepth;
}

void playEngine::tableMutex::unlock()
{
    --t_lockDepth;
    pthread_mutex_unlock(&m_mutex);
    // A job may take the lock again and queue more; each round runs what is there.
    while (t_lockDepth == 0 && !t_afterUnlock.empty()) {
        std::vector<std::function<void()>> jobs;
        jobs.swap(t_afterUnlock);
        for (const auto &job : jobs)
            job();
    }
}

bool playEngine::lockHeldHere()
{
    return t_lockDepth > 0;
}

void playEngine::whenUnlocked(std::function<void()> job)
{
    if (t_lockDepth > 0)
        t_afterUnlock.push_back(std::move(job));
    else
        job();
}

playEngine::tableLock playEngine::lock()
{
    // Never destroyed: an output thread still running while the process exits (no
    // aboutToQuit, as in tests) must not find its lock gone.
    static tableMutex *mutex = new tableMutex;
    return tableLock(*mutex);
}

void playEngine::setOutputThread(bool on)
{
    if (on == m_threaded)
        return;
    if (!on) {
        finish();
        return;
    }
    const auto held = lock();
    m_timer->stop();
    m_holdTimer->stop();
    m_quit = false;
    m_threaded = true;
    m_phase = g_playEnable ? phase::ticking : phase::idle;
    m_nextTick = clock::now() + kTick;
    takeSnapshots();
    openNews();
    m_thread = std::thread([this] { run(); });
}

void playEngine::finish()
{
    {
        const auto held = lock();
        if (!m_thread.joinable())
            return;
        m_quit = true;
        m_wake.notify_all();
    }
    m_thread.join();
    const auto held = lock();
    m_threaded = false;
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

bool playEngine::onOutputThread() const
{
    return m_threaded && std::this_thread::get_id() == m_outputId;
}

bool playEngine::isTicking() const
{
    const auto held = lock();
    if (!m_threaded)
        return m_timer->isActive();
    return g_playEnable && m_phase == phase::ticking;
}

bool playEngine::isHolding() const
{
    const auto held = lock();
    if (!m_threaded)
        return m_holdTimer->isActive();
    return g_playEnable && m_phase == phase::holding;
}

// The patch and the snap flags are QObjects edited on the GUI thread; the output thread
// works on copies taken here, on the GUI thread, before every tick it is told about.
void playEngine::takeSnapshots()
{
    light_list *patch = m_dmx->m_lightList;
    for (int c = 0; c < kChannels; ++c) {
        if (!patch->mapChannel(c))
            m_slotOf[c] = -1;
        else
            m_slotOf[c] = patch->m_mapSlot < 0 ? -2 : patch->m_mapSlot;
        m_snap[c] = static_cast<const dim *>(m_dmx->m_dims.at(c))->m_en != 0;
    }
}

void playEngine::stop()
{
    const auto held = lock();
    m_timer->stop();
    m_holdTimer->stop();
    m_phase = phase::idle;
    g_playEnable = false;
    m_dmx->m_sendLive = true;
    // Levels of the last ticks not told yet.
    if (m_dirty.any())
        postUpdate();
}

void playEngine::enable(bool on)
{
    if (!on) {
        stop();
        return;
    }
    const auto held = lock();
    if (m_model->m_data.isEmpty()) {
        // Never start on an empty table; a hold ending after the table was emptied stops.
        if (g_playEnable)
            stop();
        return;
    }
    g_playEnable = true;
    m_dmx->m_sendLive = false;
    if (!m_threaded) {
        m_holdTimer->stop();
        if (!m_timer->isActive())
            m_timer->start(kTickMs);
        return;
    }
    takeSnapshots();
    if (m_phase != phase::ticking) {
        m_phase = phase::ticking;
        m_nextTick = clock::now() + kTick;
        m_wake.notify_all();
    }
}

void playEngine::tick()
{
    const auto held = lock();
    if (m_threaded)
        takeSnapshots();
    m_tickTime = clock::now();
    runTick();
}

void playEngine::runTick()
{
    if (m_model->m_data.isEmpty()) {
        if (onOutputThread()) {
            m_phase = phase::idle;
            m_stopNews = true;
            postUpdate();
        } else {
            stop();
        }
        return;
    }
    // The row being faded was removed: count it as finished and load from where we stand.
    if (!validRow(m_model, g_currentRow))
        g_advanceRow = 1;
    if (g_advanceRow)
        loadNextRow();
    // A receiver of the load's signals may have edited the table.
    if (validRow(m_model, g_currentRow))
        fadePass();
}

void playEngine::loadNextRow()
{
    dimList *m = m_model;
    // Ends and current row may lie outside the table (an end never chosen, rows removed).
    const int last = m->m_data.size() - 1;
    const int start = qBound(0, m->m_playStart, last);
    const int end = qBound(0, m->m_playEnd, last);
    const int lo = qMin(start, end);
    const int hi = qMax(start, end);
    // With no current row (-1) playback advances from just before row 0.
    const int c = qBound(-1, g_currentRow, last);
    if (c < hi) {
        g_currentRow = static_cast<int>(qBound<qint64>(0, qint64(c) + m->m_between, hi));
    } else {
        g_currentRow = lo;
        jumpTo(lo != hi ? hi : qMax(lo - 1, 0));
        if (m->m_repeat > 0) {
            --m->m_repeat;
            repeatCounted();
        }
    }
    const StepRow &r = *m->m_data.at(g_currentRow);
    const int speed = scaled(r.at(1));
    const int fade = scaled(r.at(2));
    rowLoaded(g_currentRow);
    int ticks = 0;
    if (speed != 0 || fade != 0) {
        g_advanceRow = 0;
        ticks = fade > 0 ? fade : 1;
        float *value = m->m_fadeValue->data();
        float *step = m->m_fadeStep->data();
        for (int ch = 0; ch < kChannels; ++ch) {
            const int v = g_dimValue[ch];
            const int t = fadeTarget(r.at(ch + 3));
            value[ch] = float(v);
            step[ch] = v == t ? 0.0f : float(qAbs(t - v)) / float(ticks);
        }
    }
    const rowLoad load{m->m_repeat, ticks, g_currentRow, m->m_playStart, m->m_playEnd};
    if (!onOutputThread())
        logRowLoad(load);
    else if (m_rowLoadCount < int(m_rowLoads.size()))
        m_rowLoads[size_t(m_rowLoadCount++)] = load;
}

void playEngine::logRowLoad(const rowLoad &load)
{
    qDebug() << "m_repeat" << load.repeat << "m_times" << load.ticks << "currentRow" << load.row
             << "[from" << load.start << "to" << load.end << "]";
}

void playEngine::jumpTo(int row)
{
    const StepRow &r = *m_model->m_data.at(row);
    // As the fade aims: a cell above 255 stands for full, not for its low byte.
    for (int c = 0; c < kChannels; ++c)
        setLevel(c, fadeTarget(r.at(c + 3)));
}

void playEngine::fadePass()
{
    dimList *m = m_model;
    const StepRow &r = *m->m_data.at(g_currentRow);
    float *value = m->m_fadeValue->data();
    const float *step = m->m_fadeStep->constData();
    int done = 0;
    for (int ch = 0; ch < kChannels; ++ch) {
        const int t = fadeTarget(r.at(ch + 3));
        const bool snap =
            m_threaded ? m_snap[ch] : static_cast<const dim *>(m_dmx->m_dims.at(ch))->m_en != 0;
        if (snap) {
            setLevel(ch, t);
            ++done;
            continue;
        }
        const int v = g_dimValue[ch];
        // A step larger than the distance left (old steps after a pick) lands on the target
        // instead of passing it, which could swing around it for ever.
        if (v >= t - 1 && v <= t + 1) {
            value[ch] = float(t);
            ++done;
        } else if (v < t) {
            value[ch] = qMin(value[ch] + step[ch], float(t));
        } else {
            value[ch] = qMax(value[ch] - step[ch], float(t));
        }
        setLevel(ch, static_cast<uchar>(static_cast<int>(value[ch])));
    }
    packAndSend();
    if (done >= kChannels)
        g_advanceRow = 1;
    if (g_advanceRow)
        startHold(r.at(1) * 100);
}

void playEngine::setLevel(int channel, int value)
{
    if (!onOutputThread()) {
        m_dmx->setDmxValue(static_cast<uchar>(value), static_cast<ushort>(channel));
        return;
    }
    if (g_dimValue[channel] != value) {
        g_dimValue[channel] = static_cast<uchar>(value);
        m_dirty.set(static_cast<size_t>(channel));
    }
}

void playEngine::rowLoaded(int row)
{
    if (onOutputThread())
        m_rowNews = row;
    else
        m_model->rowLoaded();
}

void playEngine::repeatCounted()
{
    if (onOutputThread()) {
        m_repeatNews = true;
        return;
    }
    dimList *model = m_model;
    const uint times = model->m_repeat;
    playEngine::whenUnlocked([model, times] { emit model->repeatChanged(times); });
}

void playEngine::startHold(int ms)
{
    if (!m_threaded) {
        m_timer->stop();
        m_holdTimer->start(ms);
        return;
    }
    // From the tick's deadline, not from when it ran, so that show time does not drift.
    // The window sees the levels the hold keeps.
    m_phase = phase::holding;
    postUpdate();
    m_holdUntil = m_tickTime + std::chrono::milliseconds(ms);
    m_wake.notify_all();
}

void playEngine::packAndSend()
{
    if (!m_threaded) {
        m_dmx->sendDmx();
        return;
    }
    if (packFrame()) {
        m_sendPending = true;
        m_wake.notify_all();
    }
}

// The frame through the patch copy; false when nothing is to be sent.
bool playEngine::packFrame()
{
    if (!m_dmx->m_outputEnable)
        return false;
    for (int c = 0; c < kChannels; ++c) {
        const int slot = m_slotOf[c];
        if (slot == -2) {
            qDebug() << "发生了错误";
            return false;
        }
        if (slot >= 0 && slot < kChannels)
            g_dmxFrame[slot] = g_dimValue[c];
    }
    std::memcpy(m_outFrame, g_dmxFrame, sizeof m_outFrame);
    return true;
}

void playEngine::sendFrame()
{
    const auto held = lock();
    takeSnapshots();
    if (packFrame()) {
        m_sendPending = true;
        m_wake.notify_all();
    }
}

void playEngine::postUpdate()
{
    if (m_updatePosted)
        return;
    m_updatePosted = true;
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
        const auto held = lock();
        loads = m_rowLoads;
        loadCount = m_rowLoadCount;
        m_rowLoadCount = 0;
        m_ticksUntold = 0;
        dirty = m_dirty;
        m_dirty.reset();
        row = m_rowNews;
        m_rowNews = -2;
        repeatNews = m_repeatNews;
        m_repeatNews = false;
        stopNews = m_stopNews;
        m_stopNews = false;
        repeat = m_model->m_repeat;
        m_updatePosted = false;
        takeSnapshots();
    }
    for (int i = 0; i < loadCount; ++i)
        logRowLoad(loads[size_t(i)]);
    // The table was empty at a tick: stop, unless rows came back meanwhile.
    if (stopNews)
        enable(g_playEnable);
    if (repeatNews)
        emit m_model->repeatChanged(repeat);
    // The row, and a stop of the empty table's, reach the window through the model.
    if (row != -2)
        m_model->rowLoaded();
    else if (stopNews)
        m_model->settle(false);
    for (int c = 0; c < kChannels; ++c) {
        if (dirty.test(static_cast<size_t>(c)))
            emit static_cast<dim *>(m_dmx->m_dims.at(c))->dimValueChanged();
    }
}

void playEngine::run()
{
    askForRealtime();
    auto held = lock();
    m_outputId = std::this_thread::get_id();
    while (!m_quit) {
        runDue(clock::now());
        sendPending(held);
        if (m_quit)
            break;
        m_wake.wait_until(held, wakeTime());
    }
    // The last frame asked for still goes out, at its distance from the one before.
    if (m_sendPending) {
        const auto earliest = m_lastSend + kMinGap;
        held.unlock();
        std::this_thread::sleep_until(earliest);
        held.lock();
        sendPending(held);
    }
    m_outputId = std::thread::id();
}

void playEngine::runDue(clock::time_point now)
{
    if (!g_playEnable)
        return;
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
    // Levels reach the window every other tick, which halves its repaints; anything else
    // it is told at once.
    if (++m_ticksUntold >= kWindowTicks || m_rowNews != -2 || m_repeatNews || m_stopNews)
        postUpdate();
}

void playEngine::sendPending(tableLock &held)
{
    const auto now = clock::now();
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
    m_lastSend = clock::now();
}

playEngine::clock::time_point playEngine::wakeTime() const
{
    auto wake = clock::now() + kIdleWake;
    if (g_playEnable && m_phase == phase::ticking)
        wake = std::min(wake, std::max(m_nextTick, m_lastSend + kMinGap));
    if (g_playEnable && m_phase == phase::holding)
        wake = std::min(wake, m_holdUntil);
    if (m_sendPending)
        wake = std::min(wake, m_lastSend + kMinGap);
    return wake;
}
