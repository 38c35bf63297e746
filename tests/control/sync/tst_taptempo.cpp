#include "taptempo.h"

#include <QRandomGenerator>
#include <QtTest>

// Tap tempo from synthetic tap times: the tempo, the beat the last tap is given and the
// moment it fell on, for steady, sloppy and interrupted tapping.
class tst_taptempo : public QObject
{
    Q_OBJECT

  private slots:
    void tempoFromTaps_data();
    void tempoFromTaps();
    void publishesEverySnapshot();
};

namespace
{
constexpr qint64 kMs = 1000000;

// `count` taps every `periodMs` from `fromMs`, leaving out the beats in `missed`.
QVector<qint64> steady(int count, double periodMs, qint64 fromMs = 0, QVector<int> missed = {})
{
    QVector<qint64> taps;
    for (int i = 0; i < count; ++i) {
        if (!missed.contains(i))
            taps << fromMs * kMs + qint64(i * periodMs * kMs);
    }
    return taps;
}

QVector<qint64> withTap(QVector<qint64> taps, qint64 atMs)
{
    taps << atMs * kMs;
    std::sort(taps.begin(), taps.end());
    return taps;
}

QVector<qint64> jittered(int count, double periodMs, int jitterMs, quint32 seed)
{
    QRandomGenerator random(seed);
    QVector<qint64> taps = steady(count, periodMs);
    for (qint64 &t : taps)
        t += qint64(random.bounded(2 * jitterMs + 1) - jitterMs) * kMs;
    return taps;
}
} // namespace

void tst_taptempo::tempoFromTaps_data()
{
    QTest::addColumn<QVector<qint64>>("taps"); // ns
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("slack");  // BPM
    QTest::addColumn<qint64>("beat");   // -1: not looked at
    QTest::addColumn<qint64>("beatMs"); // when that beat fell, within 20 ms

    QTest::newRow("steady 120") << steady(9, 500) << 120.0 << 0.01 << qint64(8) << qint64(4000);
    QTest::newRow("one interval gives a tempo")
        << steady(2, 600) << 100.0 << 0.01 << qint64(1) << qint64(600);
    QTest::newRow("a double tap is no tempo")
        << QVector<qint64>{0, 100 * kMs} << 0.0 << 0.0 << qint64(0) << qint64(0);
    QTest::newRow("one missed tap counts two beats")
        << steady(7, 500, 0, {3}) << 120.0 << 0.01 << qint64(6) << qint64(3000);
    QTest::newRow("missed early in the count")
        << steady(5, 500, 0, {2}) << 120.0 << 0.01 << qint64(4) << qint64(2000);
    QTest::newRow("extra tap late in a beat")
        << withTap(steady(6, 500), 1350) << 120.0 << 0.01 << qint64(5) << qint64(2500);
    QTest::newRow("extra tap early in a beat")
        << withTap(steady(6, 500), 1150) << 120.0 << 0.01 << qint64(5) << qint64(2500);
    QTest::newRow("extra tap half way")
        << withTap(steady(7, 500), 1250) << 120.0 << 0.01 << qint64(6) << qint64(3000);
    QTest::newRow("extra tap last keeps the beat before")
        << withTap(steady(5, 500), 2100) << 120.0 << 0.01 << qint64(4) << qint64(2000);
    QTest::newRow("long tapping counts every beat")
        << steady(40, 400) << 150.0 << 0.01 << qint64(39) << qint64(15600);
    QTest::newRow("long tapping with a missed one")
        << steady(40, 400, 0, {20}) << 150.0 << 0.01 << qint64(39) << qint64(15600);
    QTest::newRow("pause starts a new count")
        << (steady(4, 500) + steady(3, 400, 4000)) << 150.0 << 0.01 << qint64(2) << qint64(4800);
    QTest::newRow("one tap after a pause keeps the tempo, sets the beat")
        << (steady(4, 500) + steady(1, 400, 4000)) << 120.0 << 0.01 << qint64(0) << qint64(4000);
    QTest::newRow("new tempo replaces the old within the count")
        << (steady(10, 500) + steady(9, 400, 5000)) << 150.0 << 0.01 << qint64(18) << qint64(8200);
    QTest::newRow("too fast for a tempo: the old one stays")
        << (steady(4, 500) + steady(6, 150, 4000)) << 120.0 << 0.01 << qint64(0) << qint64(4000);
    QTest::newRow("steady taps after a burst too fast for a tempo")
        << (steady(40, 150) + steady(9, 500, 6350)) << 120.0 << 0.01 << qint64(-1) << qint64(10350);
    QTest::newRow("jittered taps at 128 (±15 ms)")
        << jittered(24, 468.75, 15, 7) << 128.0 << 1.0 << qint64(23) << qint64(10781);
    QTest::newRow("jittered taps at 90 (±20 ms) with a missed one") << [] {
        QVector<qint64> taps = jittered(16, 666.667, 20, 11);
        taps.remove(9);
        return taps;
    }() << 90.0 << 1.0 << qint64(15) << qint64(10000);
}

void tst_taptempo::tempoFromTaps()
{
    QFETCH(QVector<qint64>, taps);
    QFETCH(double, bpm);
    QFETCH(double, slack);
    QFETCH(qint64, beat);
    QFETCH(qint64, beatMs);

    tapTempo tempo;
    for (const qint64 t : taps)
        tempo.tap(t);
    QVERIFY2(std::abs(tempo.bpm() - bpm) <= slack, qPrintable(QString::number(tempo.bpm())));
    if (bpm == 0)
        return;
    const tempoSnapshot now = tempo.snapshot();
    if (beat >= 0)
        QCOMPARE(now.beat, beat);
    QVERIFY2(std::abs(now.beatNs - beatMs * kMs) <= 20 * kMs,
             qPrintable(QString::number(double(now.beatNs) / kMs)));
}

// What the output thread reads is what the tapper measured, each tap as it comes.
void tst_taptempo::publishesEverySnapshot()
{
    tempoState state;
    tapTempo tempo(&state);
    tempo.tap(kMs);
    QCOMPARE(state.read().periodNs, qint64(0));
    for (int i = 1; i < 5; ++i) {
        tempo.tap(kMs + i * 500 * kMs);
        QCOMPARE(state.read().beat, qint64(i));
        QCOMPARE(state.read().periodNs, tempo.snapshot().periodNs);
        QCOMPARE(state.read().beatNs, tempo.snapshot().beatNs);
    }
}

QTEST_GUILESS_MAIN(tst_taptempo)
#include "tst_taptempo.moc"
