#include "timecode.h"

#include <QtTest>

// Frames, labels and milliseconds at each rate, drop-frame's left-out labels above all.
class tst_timecode : public QObject
{
    Q_OBJECT

  private slots:
    void conversions_data();
    void conversions();
    void notAtThisRate_data();
    void notAtThisRate();
    void parseErrors_data();
    void parseErrors();
    void wholeDayRoundTrips_data();
    void wholeDayRoundTrips();
    void framesWrapAtMidnight();
};

void tst_timecode::conversions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("rate");
    QTest::addColumn<qint64>("frame");
    QTest::addColumn<qint64>("ms");

    using tc = timecodeSnapshot;
    QTest::newRow("25 start") << "00:00:00:00" << qint64(tc::fps25) << qint64(0) << qint64(0);
    QTest::newRow("25 one hour") << "01:00:00:00" << qint64(tc::fps25) << qint64(90000)
                                 << qint64(3600000);
    QTest::newRow("25 last of the day")
        << "23:59:59:24" << qint64(tc::fps25) << qint64(2159999) << qint64(86399960);
    QTest::newRow("24 last of a second")
        << "00:00:01:23" << qint64(tc::fps24) << qint64(47) << qint64(1958);
    QTest::newRow("30 one minute")
        << "00:01:00:00" << qint64(tc::fps30) << qint64(1800) << qint64(60000);
    QTest::newRow("30 last of the day")
        << "23:59:59:29" << qint64(tc::fps30) << qint64(2591999) << qint64(86399966);
    QTest::newRow("df before minute 1")
        << "00:00:59;29" << qint64(tc::fps2997drop) << qint64(1799) << qint64(60026);
    QTest::newRow("df minute 1 starts at frame 2")
        << "00:01:00;02" << qint64(tc::fps2997drop) << qint64(1800) << qint64(60060);
    QTest::newRow("df minute 2") << "00:02:00;02" << qint64(tc::fps2997drop) << qint64(3598)
                                 << qint64(120053);
    QTest::newRow("df before minute 10")
        << "00:09:59;29" << qint64(tc::fps2997drop) << qint64(17981) << qint64(599966);
    QTest::newRow("df minute 10 keeps frame 0")
        << "00:10:00;00" << qint64(tc::fps2997drop) << qint64(17982) << qint64(599999);
    QTest::newRow("df minute 10 keeps frame 1")
        << "00:10:00;01" << qint64(tc::fps2997drop) << qint64(17983) << qint64(600032);
    QTest::newRow("df minute 11") << "00:11:00;02" << qint64(tc::fps2997drop) << qint64(19782)
                                  << qint64(660059);
    QTest::newRow("df one hour") << "01:00:00;00" << qint64(tc::fps2997drop) << qint64(107892)
                                 << qint64(3599996);
    QTest::newRow("df last of the day")
        << "23:59:59;29" << qint64(tc::fps2997drop) << qint64(2589407) << qint64(86399880);
}

// Parse, count, time and write back.
void tst_timecode::conversions()
{
    QFETCH(QString, text);
    QFETCH(qint64, rate);
    QFETCH(qint64, frame);
    QFETCH(qint64, ms);
    timecode::hmsf time;
    bool drop = false;
    QVERIFY(timecode::parse(text, time, &drop));
    QCOMPARE(drop, rate == timecodeSnapshot::fps2997drop);
    QCOMPARE(timecode::toFrame(time, rate), frame);
    QCOMPARE(timecode::frameToMs(frame, rate), ms);
    QCOMPARE(timecode::format(frame, rate), text);
    const timecodeSnapshot made = timecode::snapshot(time, rate, 7);
    QCOMPARE(made.frame, frame);
    QCOMPARE(made.ms, ms);
    QCOMPARE(made.fps, rate);
    QCOMPARE(made.arrivedNs, qint64(7));
}

void tst_timecode::notAtThisRate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("rate");

    using tc = timecodeSnapshot;
    QTest::newRow("df drops frame 0 of minute 1") << "00:01:00;00" << qint64(tc::fps2997drop);
    QTest::newRow("df drops frame 1 of minute 59") << "23:59:00;01" << qint64(tc::fps2997drop);
    QTest::newRow("frame 25 at 25") << "00:00:00:25" << qint64(tc::fps25);
    QTest::newRow("frame 24 at 24") << "00:00:00:24" << qint64(tc::fps24);
    QTest::newRow("no such rate") << "00:00:00:00" << qint64(4);
}

void tst_timecode::notAtThisRate()
{
    QFETCH(QString, text);
    QFETCH(qint64, rate);
    timecode::hmsf time;
    QVERIFY(timecode::parse(text, time));
    QVERIFY(!timecode::valid(time, rate));
    QCOMPARE(timecode::toFrame(time, rate), qint64(-1));
    QCOMPARE(timecode::snapshot(time, rate, 0).ms, qint64(-1));
}

void tst_timecode::parseErrors_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("three fields") << "01:02:03";
    QTest::newRow("hour 24") << "24:00:00:00";
    QTest::newRow("frame 30") << "00:00:00:30";
    QTest::newRow("letters") << "aa:bb:cc:dd";
    QTest::newRow("dot") << "00:00:00.00";
    QTest::newRow("negative") << "-1:00:00:00";
    QTest::newRow("three digits") << "000:00:00:00";
    QTest::newRow("semicolon early") << "00;00:00:00";
    QTest::newRow("trailing text") << "00:00:00:00x";
}

void tst_timecode::parseErrors()
{
    QFETCH(QString, text);
    timecode::hmsf time{1, 2, 3, 4};
    QVERIFY(!timecode::parse(text, time));
    QCOMPARE(time.hours, 1); // left as it was
    QCOMPARE(time.frames, 4);
}

void tst_timecode::wholeDayRoundTrips_data()
{
    QTest::addColumn<qint64>("rate");
    QTest::newRow("24") << qint64(timecodeSnapshot::fps24);
    QTest::newRow("25") << qint64(timecodeSnapshot::fps25);
    QTest::newRow("29.97 drop-frame") << qint64(timecodeSnapshot::fps2997drop);
    QTest::newRow("30") << qint64(timecodeSnapshot::fps30);
}

// Every frame of a day has a valid label that counts back to it, and labels only go up.
void tst_timecode::wholeDayRoundTrips()
{
    QFETCH(qint64, rate);
    const qint64 day = timecode::framesPerDay(rate);
    qint64 lastMs = -1;
    for (qint64 frame = 0; frame < day; ++frame) {
        const timecode::hmsf time = timecode::fromFrame(frame, rate);
        if (timecode::toFrame(time, rate) != frame)
            QFAIL(qPrintable(
                QStringLiteral("frame %1 is %2").arg(frame).arg(timecode::format(time, rate))));
        const qint64 ms = timecode::frameToMs(frame, rate);
        QVERIFY(ms > lastMs);
        lastMs = ms;
    }
    // A drop-frame day is 86.4 ms short of 24 hours.
    QVERIFY(lastMs < 86400000);
    QVERIFY(lastMs > 86400000 - 150);
}

void tst_timecode::framesWrapAtMidnight()
{
    const qint64 df = timecodeSnapshot::fps2997drop;
    QCOMPARE(timecode::format(timecode::framesPerDay(df), df), QStringLiteral("00:00:00;00"));
    QCOMPARE(timecode::format(-1, df), QStringLiteral("23:59:59;29"));
    QCOMPARE(timecode::format(-1, timecodeSnapshot::fps24), QStringLiteral("23:59:59:23"));
}

QTEST_GUILESS_MAIN(tst_timecode)
#include "tst_timecode.moc"
