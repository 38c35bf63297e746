#include "randomshow.h"
#include "sequencer.h"

#include <QtTest>

// The sequencer alone, on shows made here, with no engine, thread, clock or window.
class tst_sequencer : public QObject
{
    Q_OBJECT
  private slots:
    void ticksAgreeWithTheTimeline_data();
    void ticksAgreeWithTheTimeline();
};

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
