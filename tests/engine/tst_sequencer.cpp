#include "sequencer.h"
#include "showtimeline.h"

#include <QtTest>

#include <random>

// The sequencer alone, on shows made here, with no engine, thread, clock or window.
class tst_sequencer : public QObject
{
    Q_OBJECT
  private slots:
    void ticksAgreeWithTheTimeline_data();
    void ticksAgreeWithTheTimeline();
};

namespace
{
// Rows of every kind a tick treats apart: long and short fades, holds, rows with neither
// (which move by the steps left from before), snapping channels, levels close to each other
// and far apart.
showTimeline::setup randomShow(quint32 seed)
{
    std::mt19937 random(seed);
    auto pick = [&random](int below) { return int(random() % quint32(below)); };
    showTimeline::setup show;
    const int rows = 1 + pick(9);
    for (int r = 0; r < rows; ++r) {
        const bool still = pick(4) == 0;
        uchar levels[512];
        const int base = pick(256);
        for (uchar &level : levels)
            level = uchar(pick(3) == 0 ? pick(256) : qBound(0, base + pick(7) - 3, 255));
        show.rows.append(quint16(still ? 0 : pick(4)), quint16(still ? 0 : pick(14)), levels, 512);
    }
    for (bool &snap : show.snap)
        snap = pick(16) == 0;
    show.playStart = pick(rows);
    show.playEnd = pick(rows);
    show.between = uint(pick(4));
    show.repeat = pick(3) == 0 ? uint(1 + pick(3)) : 0;
    const double speeds[] = {1.0, 1.0, 0.5, 2.0, 1.7};
    show.speed = speeds[pick(5)];
    return show;
}
} // namespace

void tst_sequencer::ticksAgreeWithTheTimeline_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 1; seed <= 60; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("show %1").arg(seed))) << seed;
}

// Ticked from a start on the range's start row, at 30 ms and after each hold, the levels,
// the row and the repeats left are those the timeline computes for the tick's time, to the
// bit, until the repeat count runs out.
void tst_sequencer::ticksAgreeWithTheTimeline()
{
    QFETCH(quint32, seed);
    const showTimeline::setup made = randomShow(seed);
    const auto line = showTimeline::build(made);
    QVERIFY(line);
    playShow show;
    show.rows = made.rows;
    show.playStart = made.playStart;
    show.playEnd = made.playEnd;
    show.between = made.between;
    sequencer steps;
    steps.row = made.playStart;
    steps.repeatsLeft = made.repeat;
    sequencer::inputs in;
    in.speed = made.speed;
    in.snap = made.snap.data();
    in.enterRange = true;
    const qint64 length = qMin<qint64>(line->leadMs() + 2 * line->periodMs() + 200, 60000);
    for (qint64 ms = 0; ms < length;) {
        in.at = sequencer::clock::time_point(std::chrono::milliseconds(ms));
        const sequencer::outcome out = steps.tick(show, in);
        in.enterRange = false;
        const showTimeline::position at = line->locate(ms);
        if (at.finished)
            break;
        const showTimeline::levels expected = line->levelsAt(at);
        QVERIFY2(std::equal(expected.begin(), expected.end(), steps.levels),
                 qPrintable(QStringLiteral("levels at %1 ms").arg(ms)));
        QCOMPARE(steps.row, at.row);
        QCOMPARE(steps.repeatsLeft, at.repeat);
        QVERIFY(out.frame);
        ms += sequencer::kTick.count() + (out.holds ? out.holdMs : 0);
    }
}

QTEST_GUILESS_MAIN(tst_sequencer)
#include "tst_sequencer.moc"
