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

// Rows 0..3, held 1 s each (hold cell 10); row 1 fades slot 0 from 0 to 255 in fade cell 2
// (six ticks, 210 ms with the tick it arrives on), row 2 takes it back to 0 in one tick
// (60 ms), rows 3 and 0 change nothing (30 ms). Playback loads row 1 first, 30 ms after the
// start, then rows 2, 3, 0, 1, ...
void tst_songtaps::tapsBecomeHolds_data()
{
    QTest::addColumn<double>("speed");
    QTest::addColumn<QVector<qint64>>("taps");
    QTest::addColumn<holdMap>("holds");

    // Row 1 starts at 30: 800 - 30 - 210 ms of fade = 560 ms, then row 2 starts where row
    // 1 now ends (at 30 + 210 + 600 = 840): 1500 - 840 - 60 = 600 ms.
    QTest::newRow("each tap ends the step under way")
        << 1.0 << QVector<qint64>{800, 1500} << holdMap{{1, 6}, {2, 6}};
    QTest::newRow("a tap in the fade leaves no hold")
        << 1.0 << QVector<qint64>{100} << holdMap{{1, 0}};
    QTest::newRow("before the start nothing is tapped") << 1.0 << QVector<qint64>{10} << holdMap{};
    // At twice the speed row 1 fades in three ticks (120 ms) and a cell holds 50 ms: 460 ms
    // are 9 cells.
    QTest::newRow("holds as written at the speed master")
        << 2.0 << QVector<qint64>{30 + 120 + 460} << holdMap{{1, 9}};
    // Rows 1, 2, 3 and 0 ended 300 ms into their holds, then row 1 again 100 ms into its new
    // hold: the later tap of a row is the one it keeps.
    QTest::newRow("the later tap of a row wins")
        << 1.0 << QVector<qint64>{540, 900, 1230, 1560, 1870}
        << holdMap{{1, 1}, {2, 3}, {3, 3}, {0, 3}};
}

void tst_songtaps::tapsBecomeHolds()
{
    QFETCH(double, speed);
    QFETCH(QVector<qint64>, taps);
    QFETCH(holdMap, holds);
    showTimeline::setup show;
    for (int r = 0; r < 4; ++r) {
        const uchar level = r == 1 ? 255 : 0;
        show.rows.append(10, r == 1 ? 2 : 0, &level, 1);
    }
    show.playEnd = 3;
    show.speed = speed;
    QCOMPARE(songTaps::holdsFor(show, taps), holds);
}

QTEST_APPLESS_MAIN(tst_songtaps)
#include "tst_songtaps.moc"
