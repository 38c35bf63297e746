#include "dmxplayer.h"

#include <QtTest>

#include <array>
#include <cmath>

// The reference player's own cases: a show's edges, its timing on the 30 ms tick and the
// desktop's single-float fade arithmetic, checked on slot 0.
class tst_dmxplayer : public QObject
{
    Q_OBJECT

  private slots:
    void edges_data();
    void edges();
    void fadeRounding_data();
    void fadeRounding();
    void fixturesOffMoveTheFlags();
};

namespace
{
using record = std::array<unsigned short, 2 + maxSendCh>;

// Records of (speed, fade, level of slot 0) triples.
QVector<record> recordsOf(const QList<int> &triples)
{
    QVector<record> out;
    for (int i = 0; i + 2 < triples.size(); i += 3) {
        record r{};
        r[0] = ushort(triples.at(i));
        r[1] = ushort(triples.at(i + 1));
        r[2] = ushort(triples.at(i + 2));
        out.append(r);
    }
    return out;
}

void keepFrame(const unsigned char *frame, unsigned length, void *context)
{
    static_cast<QVector<QByteArray> *>(context)->append(
        QByteArray(reinterpret_cast<const char *>(frame), int(length)));
}

dmxPlayer g_player;

// Slot 0 of every frame over `ticks` ticks.
QList<int> play(const QVector<record> &records, const unsigned char *flags, int ticks,
                unsigned fixturesOff = 0)
{
    QVector<QByteArray> frames;
    dmxPlayerInit(&g_player, reinterpret_cast<const runDmxData *>(records.constData()),
                  ushort(records.size()), flags, keepFrame, &frames);
    dmxPlayerSetFixturesOff(&g_player, fixturesOff);
    for (int t = 0; t < ticks; ++t)
        dmxPlayerTick(&g_player);
    QList<int> out;
    for (const QByteArray &frame : qAsConst(frames))
        out << (frame.size() == DMX_PLAYER_SLOTS ? int(uchar(frame.at(0))) : -1);
    return out;
}
} // namespace

void tst_dmxplayer::edges_data()
{
    QTest::addColumn<QList<int>>("records");
    QTest::addColumn<bool>("snap");
    QTest::addColumn<QList<int>>("levels");

    QTest::newRow("empty show: blackout frames") << QList<int>{} << false << QList<int>{0, 0, 0};
    QTest::newRow("one record enters from itself")
        << QList<int>{0, 3, 50} << false << QList<int>{50, 50, 50, 50};
    // The first record is entered from the last one's levels, as after a wrap. The whole
    // move in one tick, arrival on the next, then 100 ms: the desktop's next tick
    // at 190 ms is played on the tick at 210 ms.
    QTest::newRow("fade 0, hold 1")
        << QList<int>{1, 0, 0, 1, 0, 200} << false << QList<int>{0, 0, 0, 0, 0, 0, 200, 200};
    QTest::newRow("hold 0: the next record 30 ms after arrival")
        << QList<int>{0, 2, 0, 0, 2, 60} << false
        << QList<int>{50, 40, 30, 20, 10, 0, 0, 10, 20, 30, 40, 50, 60, 60};
    // Rows 0, 4 and 8 and the closing record of row 9 play as four steps in order.
    QTest::newRow("stride with its closing record")
        << QList<int>{0, 1, 10, 0, 1, 20, 0, 1, 30, 0, 1, 40} << false
        << QList<int>{10, 10, 20, 20, 30, 30, 40, 40};
    // Neither hold nor fade: the steps left from before (none yet) move nothing.
    QTest::newRow("hold 0 and fade 0 keep the old steps")
        << QList<int>{0, 0, 0, 0, 0, 100} << false << QList<int>{0, 0, 0};
    QTest::newRow("snap flag: no fade")
        << QList<int>{1, 10, 0, 1, 10, 200} << true << QList<int>{0, 0};
    // A cell above 255 stands for full: the entry into the first record jumps to it.
    QTest::newRow("cell above 255")
        << QList<int>{0, 2, 0, 0, 1, 300} << false << QList<int>{212, 170, 127, 85};
}

void tst_dmxplayer::edges()
{
    QFETCH(QList<int>, records);
    QFETCH(bool, snap);
    QFETCH(QList<int>, levels);
    unsigned char flags[maxSendCh] = {};
    flags[0] = snap ? 1 : 0;
    QCOMPARE(play(recordsOf(records), flags, levels.size()), levels);
}

void tst_dmxplayer::fadeRounding_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("fade");

    QTest::newRow("fall 200 to 100 over fade 10") << 200 << 100 << 10;
    QTest::newRow("rise 10 to 12 over fade 10") << 10 << 12 << 10;
    QTest::newRow("rise 0 to 255 over fade 7") << 0 << 255 << 7;
    QTest::newRow("fall 255 to 0 over fade 255") << 255 << 0 << 255;
    QTest::newRow("rise 3 to 250 over fade 13") << 3 << 250 << 13;
}

// The desktop's running level is a single float moved by a single-float step and shown
// truncated; the player, without floats, must land on the same level on every tick.
void tst_dmxplayer::fadeRounding()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, fade);
    const int ticks = 3 * fade;
    const float step = float(std::abs(to - from)) / float(ticks);
    float value = float(from);
    QList<int> expected;
    int level = from;
    while (level < to - 1 || level > to + 1) {
        value = to > from ? qMin(value + step, float(to)) : qMax(value - step, float(to));
        level = int(value);
        expected << level;
    }
    expected << to;
    // The first record is entered from the last one's levels.
    QCOMPARE(play(recordsOf({0, fade, to, 0, 0, from}), nullptr, expected.size()), expected);
}

// With fixture 0 switched off the records start at channel 18, so slot 0 snaps when
// channel 18 does, and nothing snaps on channel 0's account.
void tst_dmxplayer::fixturesOffMoveTheFlags()
{
    const QVector<record> records = recordsOf({1, 10, 200, 1, 10, 0});
    unsigned char flags[maxSendCh] = {};
    flags[0] = 1;
    flags[18] = 1;
    QCOMPARE(play(records, flags, 1, 1u), QList<int>{200});
    flags[18] = 0;
    QCOMPARE(play(records, flags, 1, 1u), QList<int>{6});
}

QTEST_GUILESS_MAIN(tst_dmxplayer)
#include "tst_dmxplayer.moc"
