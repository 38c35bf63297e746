#include "songtaps.h"

#include <QtTest>

// Taps timing steps while the song plays: each tap ends the step under way, its hold becoming
// the time from the step's start to the tap less its fade as the timeline counts it.
class tst_songtaps : public QObject
{
    Q_OBJECT

  private slots:
    void tapsBecomeHolds_data();
    void tapsBecomeHolds();
};

using holdMap = QMap<int, quint16>;

// Rows 0..3, held 1 s each (hold cell 10); row 0 fades slot 0 from 0 to 255 in fade cell 2
// (six ticks, 210 ms with the tick it arrives on), row 1 takes it back to 0 in one tick
// (60 ms), rows 2 and 3 change nothing (30 ms). Playback enters row 0 at time 0, from row 3's
// levels, then rows 1, 2, 3, 0, ...
void tst_songtaps::tapsBecomeHolds_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<QVector<qint64>>("taps");
    QTest::addColumn<holdMap>("holds");

    // Row 0 starts at 0: 770 - 210 ms of fade = 560 ms, then row 1 starts where row 0 now
    // ends (at 210 + 600 = 810): 1470 - 810 - 60 = 600 ms.
    QTest::newRow("each tap ends the step under way")
        << 1.0 << QVector<qint64>{770, 1470} << holdMap{{0, 6}, {1, 6}};
    QTest::newRow("a tap in the fade leaves no hold")
        << 1.0 << QVector<qint64>{70} << holdMap{{0, 0}};
    QTest::newRow("before the start nothing is tapped") << 1.0 << QVector<qint64>{-20} << holdMap{};
    // At twice the speed row 0 fades in three ticks (120 ms) and a cell holds 50 ms: 460 ms
    // are 9 cells.
    QTest::newRow("holds as written at the speed master")
        << 2.0 << QVector<qint64>{120 + 460} << holdMap{{0, 9}};
    // Rows 0, 1, 2 and 3 ended 300 ms into their holds, then row 0 again 100 ms into its new
    // hold: the later tap of a row is the one it keeps.
    QTest::newRow("the later tap of a row wins")
        << 1.0 << QVector<qint64>{510, 870, 1200, 1530, 1840}
        << holdMap{{0, 1}, {1, 3}, {2, 3}, {3, 3}};
}

void tst_songtaps::tapsBecomeHolds()
{
    QFETCH(double, speed);
    QFETCH(QVector<qint64>, taps);
    QFETCH(holdMap, holds);
    showTimeline::setup show;
    for (int r = 0; r < 4; ++r) {
        const uchar level = r == 0 ? 255 : 0;
        show.rows.append(10, r == 0 ? 2 : 0, &level, 1);
    }
    show.playEnd = 3;
    show.speed = speed;
    QCOMPARE(songTaps::holdsFor(show, taps), holds);
}

QTEST_APPLESS_MAIN(tst_songtaps)
#include "tst_songtaps.moc"
