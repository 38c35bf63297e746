#include "showchase.h"
#include "showloop.h"
#include "showtimeline.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <numeric>
#include <thread>

// Playback on its own output thread: the frames it sends, their spacing, and what the
// window hears from it, on the test's clock and, where real time matters, on the machine's.
class tst_playengine : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup();
    void loopFrames_data();
    void loopFrames();
    void liveFramesKeepTheirDistance_data();
    void liveFramesKeepTheirDistance();
    void framesGoOnWhileTheWindowStands();
    void windowHearsOnItsOwnThread();
    void emptiedTableStops();
    void stopTellsTheLastLevels();
    void windowHearsAtItsPace_data();
    void windowHearsAtItsPace();
    void showTime_data();
    void showTime();
    void lateWakeKeepsTheGrid_data();
    void lateWakeKeepsTheGrid();
    void speedReachesTheRunningHold_data();
    void speedReachesTheRunningHold();
    void beatStepsLoadOnTheBeat_data();
    void beatStepsLoadOnTheBeat();
    void chaseFollowsTheTimecode();
    void chaseFollowsTheSong();
};

namespace
{
struct frameLog {
    // The library takes every other frame this late, as after a stall on the way to it.
    int lateMs = 0;
    std::atomic<int> calls{0};
    // Held here: a frame may still go out while the core is being torn down.
    std::shared_ptr<engineClock> clock = testEngine()->timeSource();

    // The output thread is joined before the log it writes to goes.
    ~frameLog()
    {
        dropCore();
        dmxbox_setFrameHook(nullptr, nullptr);
    }
    std::mutex mutex;
    QByteArray frames;
    QVector<qint64> times;

    int count()
    {
        const std::lock_guard<std::mutex> held(mutex);
        return times.size();
    }

    QVector<qint64> stamps()
    {
        const std::lock_guard<std::mutex> held(mutex);
        return times;
    }

    int lastSlot0()
    {
        const std::lock_guard<std::mutex> held(mutex);
        return frames.isEmpty() ? -1 : static_cast<uchar>(frames.at(frames.size() - 512));
    }
};

// Stamped by the engine's clock, before the log's lock: a test thread polling the log may
// hold it, and a frame stamped after waiting for it would seem closer to the next one than
// it went out. The late library sleeps in real time, the thing under test there.
void logFrame(const unsigned char *frame, void *context)
{
    auto *log = static_cast<frameLog *>(context);
    if (log->lateMs > 0 && log->calls++ % 2 == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(log->lateMs));
    const qint64 now =
        std::chrono::duration_cast<std::chrono::microseconds>(log->clock->now().time_since_epoch())
            .count();
    const std::lock_guard<std::mutex> held(log->mutex);
    log->frames.append(reinterpret_cast<const char *>(frame), 512);
    log->times.append(now);
}

// Row-load debug lines: how many, and how many written off the GUI thread.
std::atomic<int> g_rowLines{0};
std::atomic<int> g_rowLinesOffThread{0};
QThread *g_guiThread = nullptr;
QtMessageHandler g_previousHandler = nullptr;

void countRowLines(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.startsWith(QLatin1String("m_repeat"))) {
        g_previousHandler(type, context, message);
        return;
    }
    ++g_rowLines;
    g_rowLinesOffThread += QThread::currentThread() != g_guiThread;
}

// The frames the show's pick asked for have gone out before the log starts: on the test's
// clock once their distance of 15 ms has passed.
bool framesSent()
{
    if (testClock())
        return advanceClock(std::chrono::milliseconds(15));
    return testEngine()->waitFramesSent(std::chrono::seconds(10));
}

bool startPlaying(frameLog &log)
{
    if (!framesSent())
        return false;
    dmxbox_setFrameHook(logFrame, &log);
    coreModel()->sendDmxEnable(true);
    return true;
}
} // namespace

void tst_playengine::cleanup()
{
    dropCore();
    dmxbox_setFrameHook(nullptr, nullptr);
}

void tst_playengine::loopFrames_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("steady");
    QTest::addColumn<int>("frames");
    QTest::addColumn<quint64>("hash");

    const struct {
        const char *name;
        showKind kind;
        int frames;
        quint64 hash;
    } shows[] = {
        {"fades and holds", showKind::fadesAndHolds, 54, 0x1cb820019228d1a4ULL},
        {"backwards, stride 2, snaps", showKind::backwardsStrideSnaps, 11, 0xe02455d85341b33bULL},
        {"fixture off, repeat 2", showKind::fixtureOffRepeat, 54, 0xc803b95339504524ULL},
    };
    for (const auto &show : shows) {
        for (const bool steady : {false, true}) {
            QTest::addRow("%s, %s", show.name, steady ? "steady clock" : "test clock")
                << int(show.kind) << steady << show.frames << show.hash;
        }
    }
}

void tst_playengine::loopFrames()
{
    QFETCH(int, kind);
    QFETCH(bool, steady);
    QFETCH(int, frames);
    QFETCH(quint64, hash);

    dimList *m = steady ? freshCore(modelCheck::fatal, engineTime::steady) : coreModel();
    buildShow(showKind(kind));
    frameLog log;
    QVERIFY(startPlaying(log));
    if (steady)
        QTRY_VERIFY_WITH_TIMEOUT(log.count() >= frames, 30000);
    else
        QVERIFY(runTicks(frames));
    m->sendDmxEnable(false);
    m->engine()->finish();
    QCOMPARE(frameHash(log.frames.left(512 * frames)), hash);
}

void tst_playengine::liveFramesKeepTheirDistance_data()
{
    QTest::addColumn<int>("lateMs");
    QTest::newRow("library at once") << 0;
    // Only real time shows a library that is late.
    QTest::newRow("library late every other frame") << 10;
}

void tst_playengine::liveFramesKeepTheirDistance()
{
    QFETCH(int, lateMs);
    const bool steady = lateMs > 0;
    dimList *m = steady ? freshCore(modelCheck::fatal, engineTime::steady) : coreModel();
    appendRow();
    m->dmxOutputEnable(true);
    frameLog log;
    log.lateMs = lateMs;
    dmxbox_setFrameHook(logFrame, &log);
    m->sendDmxEnable(false); // live sending on
    // Spread over about 100 ms, so that several frames go out.
    for (int v = 1; v <= 200; ++v) {
        m->output()->setDmxValue(static_cast<uchar>(v), 0);
        if (v % 20 != 0)
            continue;
        if (steady)
            QTest::qWait(10);
        else
            QVERIFY(advanceClock(std::chrono::milliseconds(10)));
    }
    // The latest level wins; the ones in between need not all go out.
    if (!steady)
        QVERIFY(advanceClock(std::chrono::milliseconds(15)));
    QTRY_COMPARE(log.lastSlot0(), 200);
    m->engine()->finish();
    QVERIFY2(log.count() < 100, qPrintable(QString::number(log.count())));
    QVERIFY(log.count() >= 2);
    for (int i = 1; i < log.times.size(); ++i)
        QVERIFY(log.times.at(i) - log.times.at(i - 1) >= 14000);
}

// The GUI thread busy for half a second (a long load, a slow file dialog) does not hold up a
// frame: they keep their 30 ms, as stamped where the library takes them.
void tst_playengine::framesGoOnWhileTheWindowStands()
{
    dimList *m = freshCore(modelCheck::fatal, engineTime::steady);
    buildShow(showKind::fadesAndHolds);
    frameLog log;
    QVERIFY(startPlaying(log));
    QTRY_VERIFY(log.count() >= 2);
    const int before = log.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    QVector<qint64> stamps = log.stamps().mid(before);
    m->sendDmxEnable(false);
    m->engine()->finish();
    QVERIFY2(stamps.size() >= 10, qPrintable(QString::number(stamps.size())));
    QVector<qint64> gaps(stamps.size());
    std::adjacent_difference(stamps.cbegin(), stamps.cend(), gaps.begin());
    std::sort(gaps.begin() + 1, gaps.end());
    const qint64 median = gaps.at(1 + (gaps.size() - 1) / 2);
    QVERIFY2(qAbs(median - 30000) <= 2000, qPrintable(QString::number(median)));
}

void tst_playengine::windowHearsOnItsOwnThread()
{
    dimList *m = coreModel();
    buildShow(showKind::fadesAndHolds);
    QList<int> rows;
    int offThread = 0;
    int levelNews = 0;
    QObject context;
    connect(m, &dimList::currentRowChanged, &context, [&](int row) {
        rows << row;
        offThread += QThread::currentThread() != thread();
    });
    connect(channel(0), &dim::dimValueChanged, &context, [&] {
        ++levelNews;
        offThread += QThread::currentThread() != thread();
    });
    g_rowLines = 0;
    g_rowLinesOffThread = 0;
    g_guiThread = thread();
    g_previousHandler = qInstallMessageHandler(countRowLines);
    frameLog log;
    QVERIFY(startPlaying(log));
    for (int tick = 0; tick < 1000 && rows.size() < 8; ++tick)
        QVERIFY(runTicks(1));
    QVERIFY(rows.size() >= 8);
    m->sendDmxEnable(false);
    m->engine()->finish();
    qInstallMessageHandler(g_previousHandler);
    QCOMPARE(offThread, 0);
    // Every row load is logged, from the GUI thread; the output thread never writes there.
    QVERIFY(g_rowLines >= rows.size());
    QCOMPARE(int(g_rowLinesOffThread), 0);
    QVERIFY(levelNews > 0);
    // Coalesced, but in order: each row told follows the one before in the loop.
    for (int i = 1; i < rows.size(); ++i)
        QVERIFY(rows.at(i) != rows.at(i - 1));
    for (const int row : qAsConst(rows))
        QVERIFY(row >= 0 && row <= 5);
}

void tst_playengine::emptiedTableStops()
{
    dimList *m = coreModel();
    buildShow(showKind::fadesAndHolds);
    frameLog log;
    QVERIFY(startPlaying(log));
    QVERIFY(runTicks(3));
    QCOMPARE(log.count(), 3);
    m->removeAll();
    QVERIFY(runTicks(1));
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(m->output()->sendsLive());
    const int sent = log.count();
    QVERIFY(advanceClock(std::chrono::milliseconds(100)));
    QCOMPARE(log.count(), sent);
}

// Levels reach the window every other tick; whenever playback stops, the window still ends
// on the levels the output has.
void tst_playengine::stopTellsTheLastLevels()
{
    dimList *m = coreModel();
    buildShow(showKind::fadesAndHolds);
    m->dmxRowToDim(3); // row 4 fades channel 0 over 30 ticks
    int told = -1;
    QObject context;
    connect(channel(0), &dim::dimValueChanged, &context, [&] { told = channel(0)->dimValue(); });
    frameLog log;
    QVERIFY(startPlaying(log));
    for (int i = 0; i < 6; ++i) {
        QVERIFY(advanceClock(std::chrono::milliseconds(70 + 10 * i)));
        m->sendDmxEnable(false);
        QVERIFY(settleEngine());
        QCOMPARE(told, int(channel(0)->dimValue()));
        m->sendDmxEnable(true);
    }
}

// A row per tick: with a gap set the window hears of every third, and nothing while it is
// hidden; either way it ends on the output's row and levels, at once when it is shown again.
void tst_playengine::windowHearsAtItsPace_data()
{
    QTest::addColumn<int>("gapMs");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<int>("fewestTold");
    QTest::addColumn<int>("mostTold");

    QTest::newRow("every tick") << 0 << false << 30 << 30;
    QTest::newRow("gap of 90 ms") << 90 << false << 9 << 11;
    QTest::newRow("window hidden") << 0 << true << 0 << 0;
    QTest::newRow("hidden, gap of 90 ms") << 90 << true << 0 << 0;
}

void tst_playengine::windowHearsAtItsPace()
{
    QFETCH(int, gapMs);
    QFETCH(bool, hidden);
    QFETCH(int, fewestTold);
    QFETCH(int, mostTold);

    dimList *m = coreModel();
    for (int r = 0; r < 7; ++r) {
        tableRow row = appendRow(0, 0, 0);
        for (int ch = 0; ch < 512; ++ch)
            row[ch + 3] = static_cast<quint16>((ch * 7 + r * 53) % 256);
    }
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(6);
    m->engine()->setWindowGap(std::chrono::milliseconds(gapMs));
    m->setWindowShown(!hidden);
    int rowTold = -2;
    int rowsTold = 0;
    int levelTold = -1;
    QObject context;
    connect(m, &dimList::currentRowChanged, &context, [&](int row) {
        rowTold = row;
        ++rowsTold;
    });
    connect(channel(0), &dim::dimValueChanged, &context,
            [&] { levelTold = channel(0)->dimValue(); });
    frameLog log;
    QVERIFY(startPlaying(log));
    rowsTold = 0;
    QVERIFY(runTicks(30));
    QVERIFY2(rowsTold >= fewestTold && rowsTold <= mostTold, qPrintable(QString::number(rowsTold)));
    if (hidden) {
        m->setWindowShown(true);
        QCOMPARE(rowTold, g_currentRow);
        QCOMPARE(levelTold, int(channel(0)->dimValue()));
    }
    QVERIFY(runTicks(2));
    m->sendDmxEnable(false);
    QVERIFY(settleEngine());
    QCOMPARE(rowTold, m->currentRow());
    QCOMPARE(levelTold, int(channel(0)->dimValue()));
}

namespace
{
using std::chrono::milliseconds;

qint64 clockMs()
{
    return std::chrono::duration_cast<milliseconds>(
               testEngine()->timeSource()->now().time_since_epoch())
        .count();
}

// The documented timing of a loop over rows whose channels all travel 240 levels, from the
// first row on (entered from the last, as after a wrap): a row with
// fade f runs N + 1 ticks, N = 3f (f >= 2) or 1; then its hold of speed x 100 ms, then
// 30 ms to the next row's first tick. The speed master divides a fade's ticks and the hold,
// rounded, at least 1. The tick times from `start`, in ms, until `until`.
QVector<qint64> tickTimes(const QVector<QPair<int, int>> &rows, qint64 start, qint64 until,
                          double speed)
{
    QVector<qint64> out;
    qint64 t = start + 30;
    for (int r = 0; t <= until; r = (r + 1) % rows.size()) {
        const int fade = rows.at(r).second;
        const int n = fade == 0 ? 1 : qMax(1, qRound((fade == 1 ? 1 : 3 * fade) / speed));
        const int hold = rows.at(r).first > 0 ? qMax(1, qRound(100 * rows.at(r).first / speed)) : 0;
        for (int i = 0; i <= n && t + 30 * i <= until; ++i)
            out << t + 30 * i;
        t += 30 * n + hold + 30;
    }
    return out;
}
} // namespace

void tst_playengine::showTime_data()
{
    QTest::addColumn<int>("lateEvery"); // every so many wake-ups one comes 70 ms late
    QTest::addColumn<double>("speed");  // the speed master
    QTest::newRow("punctual wake-ups") << 0 << 1.0;
    QTest::newRow("every seventh wake-up 70 ms late") << 7 << 1.0;
    QTest::newRow("speed master 2.5") << 0 << 2.5;
    QTest::newRow("speed master 0.4") << 0 << 0.4;
    QTest::newRow("speed master 0.5, late wake-ups") << 7 << 0.5;
    QTest::newRow("speed master above 4 counts as 4") << 0 << 9.0;
}

// Thousands of ticks: every fade and hold adds up to the millisecond, and late wake-ups
// delay frames without moving any deadline after them.
void tst_playengine::showTime()
{
    QFETCH(int, lateEvery);
    QFETCH(double, speed);
    dimList *m = coreModel();
    m->setSpeedMaster(speed);
    const QVector<QPair<int, int>> rows{{2, 1}, {0, 2}, {3, 10}, {1, 5}, {0, 4}, {5, 0}};
    for (int r = 0; r < rows.size(); ++r)
        appendRow(quint16(rows.at(r).first), quint16(rows.at(r).second), r % 2 ? 240 : 0);
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(quint16(rows.size() - 1));
    frameLog log;
    QVERIFY(startPlaying(log));
    const qint64 start = clockMs();
    const qint64 end = start + 150000;
    // The last second punctual, so that the thread has caught up with every late wake-up.
    for (int wake = 1; clockMs() < end - 1000; ++wake) {
        QVERIFY(settleEngine());
        const bool late = lateEvery > 0 && wake % lateEvery == 0;
        const auto to = testEngine()->nextWake() + milliseconds(late ? 70 : 0);
        testClock()->advance(to - testClock()->now());
    }
    QVERIFY(advanceClock(milliseconds(end - clockMs())));

    const QVector<qint64> expected = tickTimes(rows, start, end, qMin(speed, 4.0));
    const QVector<qint64> sent = log.stamps();
    QVERIFY(expected.size() > 3000);
    QCOMPARE(qint64(m->engine()->ticksRun()), qint64(expected.size()));
    QCOMPARE(sent.size(), expected.size());
    for (int i = 0; i < sent.size(); ++i) {
        const qint64 at = sent.at(i) / 1000;
        QVERIFY2(at >= expected.at(i), qPrintable(QString::number(i)));
        if (lateEvery == 0 || at >= end - 900)
            QCOMPARE(at, expected.at(i));
        if (i > 0)
            QVERIFY(sent.at(i) - sent.at(i - 1) >= 15000);
    }
}

void tst_playengine::lateWakeKeepsTheGrid_data()
{
    QTest::addColumn<int>("lateMs");   // the wake-up after the fifth tick comes this late
    QTest::addColumn<int>("gridFrom"); // where the grid of later deadlines starts
    QTest::addColumn<int>("givenUp");  // deadlines missed and not caught up

    QTest::newRow("past one deadline") << 40 << 0 << 0;
    QTest::newRow("past two deadlines") << 70 << 0 << 0;
    // Beyond a second (a suspended machine) missed ticks are given up, and the grid starts
    // again from the late wake-up.
    QTest::newRow("past the resync limit") << 1510 << 150 + 1510 << 50;
}

void tst_playengine::lateWakeKeepsTheGrid()
{
    QFETCH(int, lateMs);
    QFETCH(int, gridFrom);
    QFETCH(int, givenUp);
    dimList *m = coreModel();
    appendRow(1, 1000, 240); // 3000 ticks of fade, no hold on the way
    appendRow(1, 0, 0);
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    frameLog log;
    QVERIFY(startPlaying(log));
    const qint64 start = clockMs();
    QVERIFY(advanceClock(milliseconds(150)));
    QCOMPARE(log.count(), 5);
    testClock()->advance(milliseconds(lateMs));
    QVERIFY(settleEngine());
    QVERIFY(advanceClock(milliseconds(2100 - 150 - lateMs)));

    QCOMPARE(int(m->engine()->ticksRun()), 2100 / 30 - givenUp);
    const QVector<qint64> sent = log.stamps();
    QCOMPARE(sent.size(), 2100 / 30 - givenUp);
    // Once the missed deadlines are caught up, every frame is on the grid again; none comes
    // closer than 15 ms to the one before.
    for (int i = 0; i < sent.size(); ++i) {
        const qint64 at = sent.at(i) / 1000 - start;
        if (at > 150 + lateMs + 60)
            QCOMPARE((at - gridFrom) % 30, 0);
        if (i > 0)
            QVERIFY(sent.at(i) - sent.at(i - 1) >= 15000);
    }
}

void tst_playengine::speedReachesTheRunningHold_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("leftMs"); // of the hold of 1000 ms, once the speed is set
    QTest::newRow("twice as fast") << 2.0 << 500;
    QTest::newRow("half as fast") << 0.5 << 2000;
    QTest::newRow("below the floor counts as 0.1") << 0.01 << 10000;
}

// The speed master is live: a hold under way ends by the new speed, not the old one.
void tst_playengine::speedReachesTheRunningHold()
{
    using std::chrono::milliseconds;
    QFETCH(double, speed);
    QFETCH(int, leftMs);
    dimList *m = coreModel();
    appendRow(10, 0, 0);
    appendRow(10, 0, 240);
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    frameLog log;
    QVERIFY(startPlaying(log));
    for (int i = 0; i < 20 && !m->engine()->isHolding(); ++i)
        QVERIFY(stepClock(engineClock::time_point::max()));
    QVERIFY(m->engine()->isHolding());
    QCOMPARE(std::chrono::duration_cast<milliseconds>(m->engine()->dueIn()).count(), 1000);
    m->setSpeedMaster(speed);
    QCOMPARE(std::chrono::duration_cast<milliseconds>(m->engine()->dueIn()).count(), leftMs);
}

void tst_playengine::beatStepsLoadOnTheBeat_data()
{
    QTest::addColumn<double>("beats");
    QTest::addColumn<double>("bpm");
    QTest::addColumn<int>("fade"); // of every row, in tenths of a second
    QTest::newRow("a beat at 128 BPM, long fades cut to the step") << 1.0 << 128.0 << 10;
    QTest::newRow("half a beat at 128 BPM") << 0.5 << 128.0 << 1;
    QTest::newRow("two beats at 90 BPM, holds of their own ignored") << 2.0 << 90.0 << 3;
    QTest::newRow("four beats at 174 BPM") << 4.0 << 174.0 << 0;
}

// Every row loads on its beat, a few hundred steps on: the steps follow the tempo's grid
// without drifting from it, whatever their own holds and fades.
void tst_playengine::beatStepsLoadOnTheBeat()
{
    QFETCH(double, beats);
    QFETCH(double, bpm);
    QFETCH(int, fade);
    dimList *m = coreModel();
    for (int r = 0; r < 4; ++r)
        appendRow(quint16(r * 7), quint16(fade), quint16(r * 60));
    channel(0)->setDimEn(true); // shows each load in slot 0 at once
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(3);
    const qint64 period = qRound64(60e9 / bpm);
    const qint64 origin =
        std::chrono::duration_cast<std::chrono::nanoseconds>(testClock()->now().time_since_epoch())
            .count() +
        333333;
    testEngine()->tempo().publish({period, origin, 0});
    testEngine()->setBeatSteps(beats);
    frameLog log;
    QVERIFY(startPlaying(log));
    const int steps = 200;
    QVERIFY(advanceClock(milliseconds(qint64(steps * beats * period / 1000000))));
    m->sendDmxEnable(false);
    testEngine()->finish();
    const QVector<qint64> stamps = log.stamps();
    int loads = 0;
    double firstBeat = -1;
    // The first frame is the first row's load, at the first tick; from the end of that step
    // on, each change of slot 0 is a load, on the grid (to the microsecond).
    for (int i = 1; i < stamps.size(); ++i) {
        if (uchar(log.frames.at(512 * i)) == uchar(log.frames.at(512 * (i - 1))))
            continue;
        const double beat = double(stamps.at(i) * 1000 - origin) / double(period);
        if (firstBeat < 0)
            firstBeat = beat;
        const double expected = firstBeat + loads * beats;
        QVERIFY2(qAbs(beat - expected) * double(period) < 2000.0,
                 qPrintable(QStringLiteral("load %1 at beat %2, expected %3")
                                .arg(loads)
                                .arg(beat)
                                .arg(expected)));
        ++loads;
    }
    QVERIFY(loads >= steps - 3);
    QVERIFY(qAbs(firstBeat * 2 - qRound(firstBeat * 2)) * double(period) < 4000.0);
}

// Chase: the output is the laid-out show's frame for the timecode last received; it holds
// the first step before the offset, follows a jump at the next tick, stands still with the
// timecode, and follows an edit of the table.
void tst_playengine::chaseFollowsTheTimecode()
{
    dimList *m = coreModel();
    buildShow(showKind::fadesAndHolds);
    m->chase()->setOffsetMs(3600000);
    m->chase()->setEnabled(true);
    QVERIFY(testEngine()->chasing());
    frameLog log;
    QVERIFY(startPlaying(log));
    auto send = [](qint64 ms) {
        testEngine()->timecode().publish({ms, ms / 40, timecodeSnapshot::fps25, 0});
        return advanceClock(milliseconds(30));
    };
    auto expected = [m](qint64 ms) {
        showTimeline::setup show;
        show.rows = m->steps();
        show.playStart = m->playStart();
        show.playEnd = m->playEnd();
        show.between = m->between();
        const auto line = showTimeline::build(show);
        const auto levels = line->levelsAt(line->locate(ms - 3600000));
        return int(levels[0]);
    };
    QVERIFY(advanceClock(milliseconds(300)));
    QCOMPARE(log.count(), 0); // nothing received, nothing sent
    QVERIFY(send(3500000));
    QCOMPARE(log.lastSlot0(), int(m->steps().level(0, 0)));
    for (qint64 ms = 3600000; ms < 3605000; ms += 40) {
        QVERIFY(send(ms));
        QCOMPARE(log.lastSlot0(), expected(ms));
    }
    QVERIFY(send(3600000 + 123456));
    QCOMPARE(log.lastSlot0(), expected(3600000 + 123456));
    const int frames = log.count();
    QVERIFY(advanceClock(milliseconds(2000)));
    QCOMPARE(log.count(), frames); // a timecode standing still sends nothing new
    m->setAllDmxSpeedCross(3, 7);
    QCoreApplication::processEvents(); // the chase lays the show out again once
    QVERIFY(send(3600000 + 4000));
    QCOMPARE(log.lastSlot0(), expected(3600000 + 4000));
}

// Song chase: every tick shows the frame of the song's position at the tick, less the offset,
// guessed on from the player's last word, whenever that was said; the player speaks from a
// thread of its own, as the audio callback does.
void tst_playengine::chaseFollowsTheSong()
{
    dimList *m = coreModel();
    buildShow(showKind::fadesAndHolds);
    frameLog log;
    showChase song(m, nullptr, playEngine::chaseSource::song);
    song.setOffsetMs(250);
    song.setEnabled(true);
    const auto line = song.timeline();
    QVERIFY(line);
    auto nsOf = [](playEngine::clock::time_point at) {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
    };
    // The song was 1000 ms in at this moment; every word of the player lies on that line.
    const qint64 originNs = nsOf(testClock()->now());
    const auto publish = [originNs](qint64 at) {
        testEngine()->songClock().publish(
            {1000000 + (at - originNs) / 1000, at, 1, std::numeric_limits<qint64>::max()});
    };
    // The first word before the first tick: until then there is no song to follow.
    publish(originNs);
    std::atomic<bool> done{false};
    std::thread player([&] {
        for (qint64 i = 0; !done; ++i)
            publish(originNs + (i % 97) * 7000000);
    });
    // Joined however the test ends.
    const std::unique_ptr<void, std::function<void(void *)>> joined(&done, [&](void *) {
        done = true;
        player.join();
    });
    QVERIFY(startPlaying(log));
    for (int i = 0; i < 100; ++i) {
        QVERIFY(advanceClock(milliseconds(30)));
        const qint64 ms = 1000 + (nsOf(testClock()->now()) - originNs) / 1000000 - 250;
        QCOMPARE(log.lastSlot0(), int(line->levelsAt(line->locate(ms))[0]));
    }
}

QTEST_GUILESS_MAIN(tst_playengine)
#include "tst_playengine.moc"
