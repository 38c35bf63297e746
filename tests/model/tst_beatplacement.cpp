#include "beatplacement.h"

#include <QtTest>

Q_DECLARE_METATYPE(QVector<qint64>)

class tst_beatplacement : public QObject
{
    Q_OBJECT

  private slots:
    void holds_data();
    void holds();
    void fadeAsTheTimelineTimesIt();
};

// Nine beats from 1000 ms; each row: the steps' fades (the load and the ticks until arrival),
// where the first starts, the stride, the beats' distance, the holds (700 ms before).
void tst_beatplacement::holds_data()
{
    using ms = QVector<qint64>;
    QTest::addColumn<ms>("fades");
    QTest::addColumn<double>("firstStartMs");
    QTest::addColumn<int>("stride");
    QTest::addColumn<double>("beatMs");
    QTest::addColumn<ms>("expected");

    QTest::newRow("every beat") << ms{120, 120} << 1000.0 << 1 << 500.0 << ms{400, 400};
    QTest::newRow("every second beat") << ms{120, 120} << 1000.0 << 2 << 500.0 << ms{900, 900};
    QTest::newRow("every fourth beat") << ms{120} << 1000.0 << 4 << 500.0 << ms{1900};
    // Tenths round each way from where a step really starts, never further off than 50 ms.
    QTest::newRow("rounding gathers no error")
        << ms{30, 30, 30} << 1000.0 << 1 << 500.0 << ms{500, 400, 500};
    QTest::newRow("off the beat: the nearest one counts")
        << ms{120} << 1180.0 << 1 << 500.0 << ms{200};
    QTest::newRow("a long fade takes a later stride")
        << ms{1120, 120} << 1000.0 << 2 << 500.0 << ms{900, 900};
    QTest::newRow("before the first beat") << ms{30} << 0.0 << 1 << 500.0 << ms{1500};
    QTest::newRow("past the last beat: hold kept") << ms{120} << 5000.0 << 1 << 500.0 << ms{700};
    QTest::newRow("clamped to the longest hold") << ms{120} << 1000.0 << 1 << 2.0e6 << ms{999900};
}

void tst_beatplacement::holds()
{
    QFETCH(QVector<qint64>, fades);
    QFETCH(double, firstStartMs);
    QFETCH(int, stride);
    QFETCH(double, beatMs);
    QFETCH(QVector<qint64>, expected);
    QVector<double> beats;
    for (int k = 0; k < 9; ++k)
        beats << 1000.0 + beatMs * k;
    QVector<beatPlacement::step> steps;
    for (qint64 fade : fades)
        steps.append({fade, 0, 700});
    QCOMPARE(beatPlacement::holds(steps, firstStartMs, beats, stride), expected);
}

// A fade of 2 is six ticks; the step lasts its load, the ticks until 0 -> 255 has arrived, and
// its hold. Snapped channels and a row without change take the load alone.
void tst_beatplacement::fadeAsTheTimelineTimesIt()
{
    stepTable rows;
    rows.append(StepRow{0, 0, 0, 0, 0});
    rows.append(StepRow{0, 3, 2, 255, 0});
    rows.append(StepRow{0, 3, 0, 255, 0});
    QCOMPARE(beatPlacement::stepOf(rows, 1, 0, QByteArray(512, 0)).fadeMs, 30 * (6 + 1));
    QCOMPARE(beatPlacement::stepOf(rows, 1, 0, QByteArray(512, 0)).holdMs, 300);
    QCOMPARE(beatPlacement::stepOf(rows, 1, 0, QByteArray(1, 1)).fadeMs, 30);
    QCOMPARE(beatPlacement::stepOf(rows, 2, 1, QByteArray(512, 0)).fadeMs, 30);
    QCOMPARE(beatPlacement::stepOf(rows, 2, 1, QByteArray(512, 0)).leastHoldMs, 100);
}

QTEST_GUILESS_MAIN(tst_beatplacement)
#include "tst_beatplacement.moc"
