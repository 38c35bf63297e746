#include "coretestsupport.h"
#include "enginetime.h"
#include "faderamp.h"
#include "randomshow.h"
#include "showtimeline.h"

#include <QtTest>

#include <mutex>
#include <random>

// The chase's position function against the engine itself: at the time of every frame the
// free-running engine sends, and at random times between them, the frame worked out from the
// steps' durations is the frame sent.
class tst_showtimeline : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup();
    void rampMatchesTheTicks_data();
    void rampMatchesTheTicks();
    void chasedFrameIsTheSentFrame_data();
    void chasedFrameIsTheSentFrame();
    void sameTimeSameFrame();
    void firstStepAtTimeZero_data();
    void firstStepAtTimeZero();
    void repeatCountAtEveryWrap_data();
    void repeatCountAtEveryWrap();
};

namespace
{
using std::chrono::milliseconds;

struct sentFrames {
    std::mutex mutex;
    QVector<QByteArray> frames;
    QVector<qint64> times;
};

void keepFrame(const unsigned char *frame, void *context)
{
    auto *log = static_cast<sentFrames *>(context);
    const qint64 now = std::chrono::duration_cast<milliseconds>(
                           testEngine()->timeSource()->now().time_since_epoch())
                           .count();
    const std::lock_guard<std::mutex> held(log->mutex);
    log->frames.append(QByteArray(reinterpret_cast<const char *>(frame), 512));
    log->times.append(now);
}

qint64 clockMs()
{
    return std::chrono::duration_cast<milliseconds>(
               testEngine()->timeSource()->now().time_since_epoch())
        .count();
}

struct showPicks {
    int rows;
    int start;
    int end;
    uint between;
    uint repeat;
    double speed;
};

// The random show, put into the table and the engine's settings.
showPicks makeShow(quint32 seed, showTimeline::setup &show)
{
    show = randomShow(seed);
    dimList *m = coreModel();
    for (int r = 0; r < show.rows.size(); ++r) {
        tableRow row = appendRow(show.rows.speed(r), show.rows.fade(r), 0);
        for (int ch = 0; ch < 512; ++ch)
            row[ch + 3] = show.rows.cell(r, ch + 3);
    }
    for (int ch = 0; ch < 512; ++ch)
        channel(ch)->setDimEn(show.snap[size_t(ch)]);
    const showPicks made{show.rows.size(), show.playStart, show.playEnd,
                         show.between,     show.repeat,    show.speed};
    m->setSpeedMaster(made.speed);
    m->dmxOutputEnable(true);
    m->dmxRowToDim(quint16(made.start));
    m->setPlayerEndRow(quint16(made.end));
    m->setDmxDataBetween(made.between);
    m->setRepeat(made.repeat);
    show.rows = m->steps();
    return made;
}

// The frame the engine sends for these levels through the patch; slots no channel reaches
// stay 0.
QByteArray bytesOf(const showTimeline::levels &levels)
{
    light_list *patch = coreModel()->output()->patch();
    QByteArray frame(512, '\0');
    for (int c = 0; c < 512; ++c) {
        if (patch->mapChannel(c) && patch->mappedSlot() >= 0)
            frame[patch->mappedSlot()] = char(levels[size_t(c)]);
    }
    return frame;
}

// A sent frame with the slots no channel reaches cleared.
QByteArray reachedOnly(const QByteArray &frame)
{
    light_list *patch = coreModel()->output()->patch();
    QByteArray out(512, '\0');
    for (int c = 0; c < 512; ++c) {
        if (patch->mapChannel(c) && patch->mappedSlot() >= 0)
            out[patch->mappedSlot()] = frame.at(patch->mappedSlot());
    }
    return out;
}
} // namespace

void tst_showtimeline::cleanup()
{
    dropCore();
    dmxbox_setFrameHook(nullptr, nullptr);
}

void tst_showtimeline::rampMatchesTheTicks_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("ticks");
    QTest::newRow("fall 200 to 100 in 30") << 200 << 100 << 30;
    QTest::newRow("rise 10 to 12 in 30") << 10 << 12 << 30;
    QTest::newRow("rise from 0 across every binade") << 0 << 255 << 7001;
    QTest::newRow("fall to 0, long") << 255 << 0 << 196605;
    QTest::newRow("two levels in the longest fade") << 100 << 102 << 196605;
    QTest::newRow("one tick") << 3 << 250 << 1;
}

// Counting the moves out a stretch at a time gives the value running them one by one does.
void tst_showtimeline::rampMatchesTheTicks()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, ticks);
    const float step = fadeStepOf(from, to, ticks);
    float value = float(from);
    qint64 arrival = -1;
    for (qint64 k = 0; arrival < 0 || k <= arrival + 2; ++k) {
        if (k % 97 == 0 || k < 40)
            QCOMPARE(rampAfter(float(from), step, float(to), k), value);
        const int level = static_cast<int>(value);
        if (arrival < 0 && level >= to - 1 && level <= to + 1)
            arrival = k;
        value = from < to ? qMin(value + step, float(to)) : qMax(value - step, float(to));
    }
    QCOMPARE(rampArrival(from, to, step), arrival);
}

void tst_showtimeline::chasedFrameIsTheSentFrame_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 40; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("show %1").arg(seed))) << seed;
}

void tst_showtimeline::chasedFrameIsTheSentFrame()
{
    QFETCH(quint32, seed);
    showTimeline::setup show;
    const showPicks made = makeShow(seed, show);
    const auto line = showTimeline::build(show);
    QVERIFY(line);
    QVERIFY(advanceClock(milliseconds(15)));
    sentFrames log;
    dmxbox_setFrameHook(keepFrame, &log);
    // The timeline starts with the first tick, one after playback is switched on.
    const qint64 start = clockMs() + showTimeline::kTickMs;
    coreModel()->sendDmxEnable(true);
    const qint64 length = qMin<qint64>(line->leadMs() + 2 * line->periodMs() + 200, 60000);
    QVERIFY(advanceClock(milliseconds(length)));
    // The stop puts the red row on the line, as the faders then show it: not the chase's.
    int chasedFrames = 0;
    {
        const std::lock_guard<std::mutex> held(log.mutex);
        chasedFrames = log.frames.size();
    }
    coreModel()->sendDmxEnable(false);
    testEngine()->finish();

    const std::lock_guard<std::mutex> held(log.mutex);
    QVERIFY(chasedFrames > 0);
    std::mt19937 random(seed);
    for (int i = 0; i < chasedFrames; ++i) {
        const qint64 at = log.times.at(i) - start;
        const QByteArray chased = bytesOf(line->levelsAt(line->locate(at)));
        QVERIFY2(chased == reachedOnly(log.frames.at(i)),
                 qPrintable(QStringLiteral("frame %1 at %2 ms, rows %3 range %4..%5 stride %6")
                                .arg(i)
                                .arg(at)
                                .arg(made.rows)
                                .arg(made.start)
                                .arg(made.end)
                                .arg(made.between)));
        // Between two frames the output is the one sent last.
        const qint64 next = i + 1 < log.times.size() ? log.times.at(i + 1) - start : at + 1;
        const qint64 between = at + qint64(random() % quint32(qMax<qint64>(1, next - at)));
        QCOMPARE(bytesOf(line->levelsAt(line->locate(between))), reachedOnly(log.frames.at(i)));
    }
    if (made.repeat > 0 && line->locate(length).finished)
        QCOMPARE(bytesOf(line->levelsAt(line->locate(length + 100000))),
                 reachedOnly(log.frames.last()));
}

// Located on its own, far into the show, a time gives the frame it gives on the way there.
void tst_showtimeline::sameTimeSameFrame()
{
    showTimeline::setup show;
    makeShow(7, show);
    show.repeat = 0;
    const auto line = showTimeline::build(show);
    const qint64 far = 10 * 3600 * 1000 + 123;
    const auto once = line->levelsAt(line->locate(far));
    QCOMPARE(line->levelsAt(line->locate(far - line->periodMs())), once);
    QCOMPARE(line->levelsAt(line->locate(far)), once);
    QVERIFY(line->locate(-5000).beforeStart);
}

void tst_showtimeline::firstStepAtTimeZero_data()
{
    chasedFrameIsTheSentFrame_data();
}

// Time 0 loads the range's first step, and every step of the first pass starts where the
// pass a timeline draws puts it: the sum of the durations before it.
void tst_showtimeline::firstStepAtTimeZero()
{
    QFETCH(quint32, seed);
    showTimeline::setup show;
    const showPicks made = makeShow(seed, show);
    const auto line = showTimeline::build(show);
    const std::vector<showTimeline::span> pass = line->pass();
    QVERIFY(!pass.empty());
    QCOMPARE(pass.front().row, qMin(made.start, made.end));
    QCOMPARE(pass.front().startMs, qint64(0));
    for (size_t k = 0; k < pass.size(); ++k) {
        const showTimeline::position at = line->locate(pass[k].startMs);
        QCOMPARE(at.row, pass[k].row);
        QCOMPARE(at.tick, qint64(0));
        if (k > 0) {
            QCOMPARE(pass[k].startMs, pass[k - 1].startMs + pass[k - 1].lengthMs);
            QCOMPARE(line->locate(pass[k].startMs - 1).row, pass[k - 1].row);
        }
    }
}

void tst_showtimeline::repeatCountAtEveryWrap_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<uint>("repeat");
    for (quint32 seed : {3u, 8u, 13u, 22u}) {
        for (uint repeat : {1u, 2u, 5u})
            QTest::newRow(qPrintable(QStringLiteral("show %1, %2 repeats").arg(seed).arg(repeat)))
                << seed << repeat;
    }
}

// Where the chase stands against where the engine stands after each of its ticks, and so
// just after every wrap: the count left and the row, and the wrap that counts the last
// repeat is the one that stops playback.
void tst_showtimeline::repeatCountAtEveryWrap()
{
    QFETCH(quint32, seed);
    QFETCH(uint, repeat);
    showTimeline::setup show;
    makeShow(seed, show);
    // A stride of 0 would never come round to a wrap.
    show.between = qMax(show.between, 1u);
    show.repeat = repeat;
    coreModel()->setDmxDataBetween(show.between);
    coreModel()->setRepeat(repeat);
    const auto line = showTimeline::build(show);
    QVERIFY(advanceClock(milliseconds(15)));
    // The timeline starts with the first tick, one after playback is switched on.
    const qint64 start = clockMs() + showTimeline::kTickMs;
    coreModel()->sendDmxEnable(true);
    bool playing = true;
    uint counted = repeat;
    for (int ticks = 0; playing && ticks < 100000; ++ticks) {
        QVERIFY(stepClock(engineClock::time_point::max()));
        const showTimeline::position at = line->locate(clockMs() - start);
        playing = g_playEnable;
        counted = coreModel()->repeatsLeft();
        QCOMPARE(at.finished, !playing);
        QCOMPARE(at.repeat, counted);
        QCOMPARE(at.row, g_currentRow);
    }
    QCOMPARE(counted, 0u);
}

QTEST_GUILESS_MAIN(tst_showtimeline)
#include "tst_showtimeline.moc"
