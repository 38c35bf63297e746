#include "midiclock.h"

#include <QRandomGenerator>
#include <QtTest>

// A MIDI clock from synthetic arrival times: the tempo through jitter, beats that stay on the
// sender's over minutes, and what Start, Continue and Stop do to the count.
class tst_midiclock : public QObject
{
    Q_OBJECT

  private slots:
    void tempoThroughJitter_data();
    void tempoThroughJitter();
    void beatsDoNotDrift_data();
    void beatsDoNotDrift();
    void transport_data();
    void transport();
    void tempoChanges_data();
    void tempoChanges();
    void holeThenOffPulse_data();
    void holeThenOffPulse();
};

namespace
{
constexpr qint64 kMs = 1000000;
constexpr unsigned char kClock = 0xf8;
constexpr unsigned char kStart = 0xfa;
constexpr unsigned char kContinue = 0xfb;
constexpr unsigned char kStop = 0xfc;

// A sender whose pulses leave exactly on time and arrive up to `jitterNs` early or late.
struct clockSender {
    double bpm;
    qint64 jitterNs;
    quint32 seed;
    qint64 originNs = 3600 * 1000 * kMs;

    QRandomGenerator random{seed};
    qint64 sent = 0;

    double pulseNs() const { return 60e9 / bpm / midiClock::kPulsesPerBeat; }
    qint64 exact(qint64 pulse) const { return originNs + std::llround(double(pulse) * pulseNs()); }
    qint64 next()
    {
        const qint64 off =
            jitterNs > 0 ? qint64(random.bounded(quint32(2 * jitterNs + 1))) - jitterNs : 0;
        return exact(sent++) + off;
    }
};
} // namespace

void tst_midiclock::tempoThroughJitter_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<qint64>("jitterNs");
    QTest::addColumn<quint32>("seed");

    QTest::newRow("120, ±2 ms") << 120.0 << 2 * kMs << 1u;
    QTest::newRow("128, ±2 ms") << 128.0 << 2 * kMs << 5u;
    QTest::newRow("174, ±2 ms") << 174.0 << 2 * kMs << 17u;
    QTest::newRow("60, ±2 ms") << 60.0 << 2 * kMs << 23u;
}

// From the fourth beat on, every pulse's estimate is within half a BPM.
void tst_midiclock::tempoThroughJitter()
{
    QFETCH(double, bpm);
    QFETCH(qint64, jitterNs);
    QFETCH(quint32, seed);

    tempoState state;
    midiClock clock(state);
    clockSender clockOut{bpm, jitterNs, seed};
    QCOMPARE(clock.feed(kStart, clockOut.originNs - kMs), midiClock::start);
    double worst = 0;
    for (int pulse = 0; pulse < 60 * midiClock::kPulsesPerBeat; ++pulse) {
        QCOMPARE(clock.feed(kClock, clockOut.next()), midiClock::none);
        if (pulse >= 4 * midiClock::kPulsesPerBeat)
            worst = std::max(worst, std::abs(clock.bpm() - bpm));
    }
    QVERIFY2(worst <= 0.5, qPrintable(QString::number(worst)));
    QCOMPARE(state.read().periodNs, clock.snapshot().periodNs);
}

void tst_midiclock::beatsDoNotDrift_data()
{
    QTest::addColumn<qint64>("lostEvery"); // a pulse lost on the way every so many; 0: none
    QTest::newRow("every pulse arrives") << qint64(0);
    QTest::newRow("a pulse lost now and then") << qint64(7001);
}

// Ten minutes at 128 BPM with jitter: at every pulse the snapshot foretells the next beat
// within 2 ms of when the sender plays it, and counts the beats the sender counts; in the
// last minute the errors still average out to nothing (no drift). A pulse lost on the way
// changes none of that.
void tst_midiclock::beatsDoNotDrift()
{
    QFETCH(qint64, lostEvery);
    tempoState state;
    midiClock clock(state);
    clockSender clockOut{128.0, 2 * kMs, 42u};
    clock.feed(kStart, clockOut.originNs - kMs);
    const qint64 pulses = 10 * 128 * midiClock::kPulsesPerBeat;
    const qint64 lastMinute = pulses - 128 * midiClock::kPulsesPerBeat;
    qint64 worst = 0;
    double late = 0;
    for (qint64 pulse = 0; pulse < pulses; ++pulse) {
        const qint64 at = clockOut.next();
        if (lostEvery > 0 && pulse % lostEvery == lostEvery - 1)
            continue;
        clock.feed(kClock, at);
        if (pulse < 2 * midiClock::kPulsesPerBeat)
            continue;
        const tempoSnapshot now = state.read();
        const qint64 nextBeat = pulse / midiClock::kPulsesPerBeat + 1;
        QCOMPARE(now.beat, nextBeat - 1);
        const qint64 error = now.beatNs + now.periodNs * (nextBeat - now.beat) -
                             clockOut.exact(nextBeat * midiClock::kPulsesPerBeat);
        worst = std::max(worst, std::abs(error));
        if (pulse >= lastMinute)
            late += double(error);
    }
    QVERIFY2(worst <= 2 * kMs, qPrintable(QString::number(double(worst) / kMs)));
    late /= double(pulses - lastMinute);
    QVERIFY2(std::abs(late) <= 0.2 * kMs, qPrintable(QString::number(late / kMs)));
}

void tst_midiclock::transport_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QVector<int>>("events"); // what each byte but a clock returned
    QTest::addColumn<qint64>("pulses");
    QTest::addColumn<bool>("counting");
    QTest::addColumn<qint64>("beat");
    QTest::addColumn<qint64>("beatPulse"); // the sender's pulse that beat fell on

    const QByteArray clocks = QByteArray(1, char(kClock));
    const QByteArray start(1, char(kStart));
    const QByteArray stop(1, char(kStop));
    const QByteArray resume(1, char(kContinue));

    QTest::newRow("a clock alone counts from its first pulse")
        << clocks.repeated(50) << QVector<int>{} << qint64(50) << true << qint64(2) << qint64(48);
    QTest::newRow("Start makes the next pulse beat 0")
        << clocks.repeated(30) + start + clocks.repeated(30) << QVector<int>{midiClock::start}
        << qint64(30) << true << qint64(1) << qint64(54);
    QTest::newRow("Stop holds the count")
        << start + clocks.repeated(30) + stop + clocks.repeated(40)
        << QVector<int>{midiClock::start, midiClock::stop} << qint64(30) << false << qint64(1)
        << qint64(24);
    QTest::newRow("Continue counts on from the stop")
        << start + clocks.repeated(30) + stop + clocks.repeated(40) + resume + clocks.repeated(20)
        << QVector<int>{midiClock::start, midiClock::stop, midiClock::resume} << qint64(50) << true
        << qint64(2) << qint64(88);
    QTest::newRow("Continue mid-beat: the beat lies before the stop")
        << start + clocks.repeated(30) + stop + clocks.repeated(40) + resume + clocks.repeated(5)
        << QVector<int>{midiClock::start, midiClock::stop, midiClock::resume} << qint64(35) << true
        << qint64(1) << qint64(64);
    QTest::newRow("Start after Stop begins again")
        << start + clocks.repeated(30) + stop + start + clocks.repeated(5)
        << QVector<int>{midiClock::start, midiClock::stop, midiClock::start} << qint64(5) << true
        << qint64(0) << qint64(30);
    QTest::newRow("other bytes change nothing")
        << start + clocks.repeated(30) + QByteArray("\xfe\x90\xf2\xff", 4)
        << QVector<int>{midiClock::start, midiClock::none, midiClock::none, midiClock::none,
                        midiClock::none}
        << qint64(30) << true << qint64(1) << qint64(24);
}

// Non-clock bytes arrive together with the pulse before them; the clock runs at 120 BPM.
void tst_midiclock::transport()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QVector<int>, events);
    QFETCH(qint64, pulses);
    QFETCH(bool, counting);
    QFETCH(qint64, beat);
    QFETCH(qint64, beatPulse);

    tempoState state;
    midiClock clock(state);
    clockSender clockOut{120.0, 0, 0u};
    QVector<int> got;
    qint64 now = clockOut.originNs;
    for (const char byte : bytes) {
        if (byte == char(kClock))
            now = clockOut.next();
        const midiClock::event event = clock.feed((unsigned char)byte, now);
        if (byte != char(kClock))
            got << event;
    }
    QCOMPARE(got, events);
    QCOMPARE(clock.pulses(), pulses);
    QCOMPARE(clock.counting(), counting);
    QCOMPARE(state.read().beat, beat);
    QVERIFY(std::abs(state.read().beatNs - clockOut.exact(beatPulse)) <= 1000);
    QVERIFY(std::abs(state.read().bpm() - 120.0) < 0.01);
}

void tst_midiclock::tempoChanges_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<qint64>("silenceMs"); // after the last pulse at the first tempo
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("pulses"); // at the new tempo until it is read

    QTest::newRow("silence keeps the tempo; a beat of the next one gives it")
        << 120.0 << qint64(3000) << 100.0 << 24;
    QTest::newRow("straight on to six times slower") << 120.0 << qint64(0) << 20.0 << 24;
    QTest::newRow("straight on to faster") << 120.0 << qint64(0) << 180.0 << 96;
}

// A clock that falls silent leaves its tempo, and its earlier pulses do not bend the line
// of the one that comes back; a clock that slows down at once, even by far, is followed.
void tst_midiclock::tempoChanges()
{
    QFETCH(double, from);
    QFETCH(qint64, silenceMs);
    QFETCH(double, to);
    QFETCH(int, pulses);

    tempoState state;
    midiClock clock(state);
    clockSender first{from, 0, 0u};
    for (int i = 0; i < 200; ++i)
        clock.feed(kClock, first.next());
    QVERIFY(std::abs(clock.bpm() - from) < 0.01);
    const qint64 origin = first.exact(199) + silenceMs * kMs;
    clockSender second{to, 0, 0u, origin};
    second.next();
    for (int i = 0; i < pulses; ++i) {
        if (silenceMs > 0 && i < pulses / 2)
            QVERIFY(std::abs(clock.bpm() - from) < 0.01);
        clock.feed(kClock, second.next());
    }
    QVERIFY2(std::abs(clock.bpm() - to) < 0.01, qPrintable(QString::number(clock.bpm())));
    QVERIFY(std::abs(state.read().bpm() - to) < 0.01);
}

void tst_midiclock::holeThenOffPulse_data()
{
    QTest::addColumn<int>("lost");         // pulses lost on the way before the off one
    QTest::addColumn<double>("offPulses"); // the next pulse's arrival off its time, in pulses

    QTest::newRow("one lost, the next early") << 1 << -0.4;
    QTest::newRow("one lost, the next late") << 1 << 0.4;
    QTest::newRow("two lost, the next early") << 2 << -0.4;
    QTest::newRow("none lost, one early") << 0 << -0.4;
}

// The pulses in a hole are counted by how many pulse times it spans, rounded: a pulse early
// after a hole is one pulse, not none, a late one is not two, and the beats after it stay on
// the sender's.
void tst_midiclock::holeThenOffPulse()
{
    QFETCH(int, lost);
    QFETCH(double, offPulses);
    tempoState state;
    midiClock clock(state);
    clockSender clockOut{128.0, 0, 0u};
    clock.feed(kStart, clockOut.originNs - kMs);
    const qint64 before = 4 * midiClock::kPulsesPerBeat + 5;
    for (qint64 pulse = 0; pulse < before; ++pulse)
        clock.feed(kClock, clockOut.next());
    clockOut.sent += lost;
    const qint64 off = std::llround(offPulses * clockOut.pulseNs());
    clock.feed(kClock, clockOut.next() + off);
    QCOMPARE(clock.pulses(), clockOut.sent);
    while (clockOut.sent % midiClock::kPulsesPerBeat != 1)
        clock.feed(kClock, clockOut.next());
    const tempoSnapshot now = state.read();
    QCOMPARE(now.beat, clockOut.sent / midiClock::kPulsesPerBeat);
    const qint64 error = now.beatNs - clockOut.exact(now.beat * midiClock::kPulsesPerBeat);
    QVERIFY2(std::abs(error) <= kMs, qPrintable(QString::number(double(error) / kMs)));
}

QTEST_GUILESS_MAIN(tst_midiclock)
#include "tst_midiclock.moc"
