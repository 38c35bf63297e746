#include "coretestsupport.h"

#include <QtTest>

// Ticks run on the output thread as in the program; the test's clock decides when they are
// due, and each step waits until the window has heard of it.
class tst_dimlist_playback : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void rowSequence_data();
    void rowSequence();
    void wrapJumpsToPreviousRow_data();
    void wrapJumpsToPreviousRow();
    void repeatCountsDown_data();
    void repeatCountsDown();
    void fadeLevels_data();
    void fadeLevels();
    void zeroSpeedAndFadeUseOldSteps();
    void snapChannels();
    void cellAbove255Arrives();
    void oneFramePerTick_data();
    void oneFramePerTick();
    void stateTable();
    void stopMidFadeResumes();
    void pickMidFade();
    void oversizedStepLandsOnTarget();
    void pickRefusesMissingRow();
    void debugLine();
    void properties();
    void enableOnEmptyTable();
    void tableEmptiedWhilePlaying();
    void holdRestartsTick();
    void holdAfterStopChangesNothing();
    void holdAfterStopAndRestart();
    void holdOnEmptiedTableStops();
};

namespace
{
// Rows with speed 0 and fade 0 load one row per tick.
void appendInstantRows(int count)
{
    for (int i = 0; i < count; ++i)
        appendRow(0, 0, static_cast<quint16>(10 * i));
}

void ticks(int count)
{
    QVERIFY(runTicks(count));
}

std::chrono::milliseconds dueIn()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(coreModel()->engine()->dueIn());
}

// Two rows played from row 0: row 0 is entered from row 1's levels, as after a wrap, and
// arrives, and its hold of speed x 100 ms has begun.
void startHold(quint16 speed)
{
    dimList *m = coreModel();
    appendRow(speed, 1, 80);
    appendRow(speed, 0, 0);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->sendDmxEnable(true);
    ticks(2);
}

bool playing()
{
    return coreModel()->engine()->isTicking() || coreModel()->engine()->isHolding();
}

QList<int> rowsOf(const QSignalSpy &spy)
{
    QList<int> rows;
    for (const QList<QVariant> &args : spy)
        rows << args.at(0).toInt();
    return rows;
}
} // namespace

void tst_dimlist_playback::rowSequence_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<uint>("between");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("loaded");

    QTest::newRow("2..5 stride 1") << 8 << 2 << 5 << 1u << 2 << QList<int>{2, 3, 4, 5, 2, 3, 4, 5};
    QTest::newRow("backwards 5..2") << 8 << 5 << 2 << 1u << 2 << QList<int>{3, 4, 5, 2, 3};
    QTest::newRow("stride 3 over 0..7") << 8 << 0 << 7 << 3u << 0 << QList<int>{0, 3, 6, 7, 0};
    QTest::newRow("stride 0") << 8 << 0 << 3 << 0u << 1 << QList<int>{1, 1, 1};
    QTest::newRow("one row at 4") << 8 << 4 << 4 << 1u << 4 << QList<int>{4, 4, 4};
    QTest::newRow("one row at 0") << 8 << 0 << 0 << 1u << 0 << QList<int>{0, 0};
    QTest::newRow("before the range") << 8 << 3 << 5 << 1u << 0 << QList<int>{1, 2, 3, 4, 5, 3};
    QTest::newRow("huge stride") << 8 << 1 << 6 << 0xffffffffu << 1 << QList<int>{1, 6, 1};
    // Ends and current row outside the table are read as the nearest row.
    QTest::newRow("end never chosen") << 5 << 0 << -1 << 1u << -1 << QList<int>{0, 0};
    QTest::newRow("end past the table") << 5 << 2 << 9 << 1u << 2 << QList<int>{2, 3, 4, 2};
    QTest::newRow("current past the table") << 5 << 1 << 3 << 1u << 7 << QList<int>{1, 2, 3};
    QTest::newRow("no row current, stride 0") << 5 << 0 << 4 << 0u << -1 << QList<int>{0, 0};
    QTest::newRow("no row current starts at row 0")
        << 5 << 0 << 3 << 1u << -1 << QList<int>{0, 1, 2, 3, 0};
}

void tst_dimlist_playback::rowSequence()
{
    QFETCH(int, rows);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(uint, between);
    QFETCH(int, current);
    QFETCH(QList<int>, loaded);

    dimList *m = coreModel();
    appendInstantRows(rows);
    m->setPlayRange(start, end);
    m->setBetween(between);
    g_currentRow = current;
    m->sendDmxEnable(true);
    QSignalSpy spy(m, &dimList::currentRowChanged);
    ticks(loaded.size());
    QCOMPARE(rowsOf(spy), loaded);
    // The clamp reads the ends; it does not rewrite them.
    QCOMPARE(m->playStart(), start);
    QCOMPARE(m->playEnd(), end);
}

void tst_dimlist_playback::wrapJumpsToPreviousRow_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("jumpRow"); // row whose levels stand on the faders at the wrap

    QTest::newRow("range 2..5 comes from 5") << 2 << 5 << 5;
    QTest::newRow("backwards comes from the upper end") << 5 << 2 << 5;
    QTest::newRow("one row at 4 comes from 3") << 4 << 4 << 3;
    QTest::newRow("one row at 0 comes from 0") << 0 << 0 << 0;
    QTest::newRow("end past the table comes from the last") << 1 << 20 << 7;
}

void tst_dimlist_playback::wrapJumpsToPreviousRow()
{
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, jumpRow);

    dimList *m = coreModel();
    for (int r = 0; r < 8; ++r)
        appendRow(1, 10, static_cast<quint16>(20 + 10 * r));
    m->setPlayRange(start, end);
    g_currentRow = qMax(start, end);
    m->sendDmxEnable(true);
    ticks(1);
    QCOMPARE(g_currentRow, qMin(start, end));
    // The window hears of the load after the tick's fade pass: one step of the 30 from the
    // jumped-to level towards the new row.
    const int jumped = 20 + 10 * jumpRow;
    const int target = 20 + 10 * qMin(start, end);
    const float step = float(qAbs(target - jumped)) / 30.0f;
    const int faded = qAbs(target - jumped) <= 1 ? target
                      : target > jumped          ? int(float(jumped) + step)
                                                 : int(float(jumped) - step);
    QCOMPARE(int(g_dimValue[100]), faded);
}

void tst_dimlist_playback::repeatCountsDown_data()
{
    QTest::addColumn<uint>("repeat");
    QTest::addColumn<QList<int>>("emitted");

    QTest::newRow("2 counts 1 then 0") << 2u << QList<int>{1, 0};
    QTest::newRow("0 never counts") << 0u << QList<int>{};
}

void tst_dimlist_playback::repeatCountsDown()
{
    QFETCH(uint, repeat);
    QFETCH(QList<int>, emitted);

    dimList *m = coreModel();
    appendInstantRows(3);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->setProperty("repeat", repeat);
    m->dmxOutputEnable(true);
    m->sendDmxEnable(true);
    QSignalSpy spy(m, &dimList::repeatChanged);
    // Five wraps, unless the count runs out and playback stops before.
    QCOMPARE(runTicks(10), emitted.isEmpty());
    QVERIFY(settleEngine());
    QCOMPARE(rowsOf(spy), emitted);
    QCOMPARE(m->property("repeat").toUInt(), 0u);
    // Counting down to 0 stops playback and switches the output off; 0 from the start
    // plays on for ever.
    QCOMPARE(playing(), emitted.isEmpty());
    QCOMPARE(m->outputEnabled(), emitted.isEmpty());
}

void tst_dimlist_playback::fadeLevels_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("fade");
    QTest::addColumn<QList<int>>("head"); // first levels, one per tick
    QTest::addColumn<QList<int>>("tail"); // last levels before arrival
    QTest::addColumn<int>("arrivalTick"); // the tick on which the row is over

    QTest::newRow("fall 200 to 100")
        << 200 << 100 << 10 << QList<int>{196, 193, 190, 186} << QList<int>{103, 100} << 31;
    QTest::newRow("rise 10 to 12")
        << 10 << 12 << 10 << QList<int>{10, 10, 10} << QList<int>{10, 11} << 17;
    QTest::newRow("fade 1 in one tick") << 0 << 255 << 1 << QList<int>{255} << QList<int>{255} << 2;
    QTest::newRow("fade 0 in one tick") << 255 << 0 << 0 << QList<int>{0} << QList<int>{0} << 2;
    QTest::newRow("fade 2 in six ticks")
        << 0 << 60 << 2 << QList<int>{10, 20} << QList<int>{50, 60} << 7;
}

void tst_dimlist_playback::fadeLevels()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, fade);
    QFETCH(QList<int>, head);
    QFETCH(QList<int>, tail);
    QFETCH(int, arrivalTick);

    dimList *m = coreModel();
    // The first row is entered from the last one's levels, as after a wrap.
    appendRow(1, static_cast<quint16>(fade), static_cast<quint16>(to));
    appendRow(1, 0, static_cast<quint16>(from));
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->sendDmxEnable(true);
    QList<int> levels;
    int tick = 0;
    while (tick < 100 && !(tick > 0 && g_advanceRow)) {
        ticks(1);
        ++tick;
        levels << g_dimValue[511];
    }
    QCOMPARE(tick, arrivalTick);
    QCOMPARE(levels.mid(0, head.size()), head);
    // The arrival tick sets the target exactly; the levels before it are the fade's.
    QCOMPARE(levels.last(), to);
    QCOMPARE(levels.mid(levels.size() - 1 - tail.size(), tail.size()), tail);
    if (from == 10 && to == 12) {
        QCOMPARE(levels.indexOf(11), 15); // tick 16
        QCOMPARE(levels.indexOf(12), 16); // tick 17
    }
    if (from == 200)
        QCOMPARE(levels.at(29), 100);
}

void tst_dimlist_playback::zeroSpeedAndFadeUseOldSteps()
{
    dimList *m = coreModel();
    // Playback enters row 0 from the last row's levels, all 0.
    tableRow fading = appendRow(1, 10, 0); // 30 ticks
    fading[3] = 90;                        // step 3
    fading[5] = 30;                        // step 1
    tableRow instant = appendRow(0, 0, 0);
    instant[3] = 100;
    instant[4] = 1;
    instant[5] = 50;
    appendRow(1, 0, 0);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(2);
    m->sendDmxEnable(true);
    ticks(1);
    while (!g_advanceRow)
        ticks(1);
    QCOMPARE(int(g_dimValue[0]), 90);
    QSignalSpy spy(m, &dimList::currentRowChanged);
    ticks(1);
    QCOMPARE(rowsOf(spy), QList<int>{1});
    QCOMPARE(int(g_dimValue[0]), 93); // one old step of 3
    QCOMPARE(int(g_dimValue[1]), 1);  // within one: takes the target
    QCOMPARE(int(g_dimValue[2]), 31); // one old step of 1
    // The row counts as finished at once; its hold is 0 ms, so the next tick is 30 ms away.
    QVERIFY(g_advanceRow);
    QVERIFY(m->engine()->isTicking());
    QCOMPARE(dueIn(), std::chrono::milliseconds(30));
}

void tst_dimlist_playback::snapChannels()
{
    dimList *m = coreModel();
    appendRow(1, 10, 200);
    appendRow(1, 0, 0);
    channel(5)->setDimEn(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->sendDmxEnable(true);
    ticks(1);
    QCOMPARE(int(g_dimValue[5]), 200);
    QCOMPARE(int(g_dimValue[4]), 6);
    QCOMPARE(int(g_dimValue[6]), 6);
}

void tst_dimlist_playback::cellAbove255Arrives()
{
    dimList *m = coreModel();
    tableRow high = appendRow(1, 0, 300);
    appendRow(1, 0, 0);
    channel(7)->setDimEn(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->sendDmxEnable(true);
    ticks(1);
    QCOMPARE(int(g_dimValue[0]), 255);
    QCOMPARE(int(g_dimValue[7]), 255);
    ticks(1);
    QVERIFY(g_advanceRow);
    QVERIFY(m->engine()->isHolding());
    QCOMPARE(int(high.at(3)), 255); // a level is a byte: the table keeps it as full
}

void tst_dimlist_playback::oneFramePerTick_data()
{
    QTest::addColumn<bool>("output");
    QTest::newRow("output enabled") << true;
    QTest::newRow("output disabled") << false;
}

void tst_dimlist_playback::oneFramePerTick()
{
    QFETCH(bool, output);
    dimList *m = coreModel();
    appendRow(0, 1, 0);
    appendRow(0, 2, 120);
    appendRow(0, 0, 30);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(2);
    m->dmxOutputEnable(output);
    m->sendDmxEnable(true);
    // The pick's live frame has gone out before the count starts.
    QVERIFY(settleEngine());
    dmxbox_reset();
    QSignalSpy rows(m, &dimList::currentRowChanged);
    const int count = 25; // loads, fades and wraps
    ticks(count);
    QVERIFY(rows.count() >= 6);
    QCOMPARE(int(dmxbox_callCount()), output ? count : 0);
    if (output)
        QCOMPARE(int(dmxbox_lastFrame()[0]), int(g_dimValue[0]));
    else
        QCOMPARE(int(g_dmxFrame[0]), 0);
}

void tst_dimlist_playback::stateTable()
{
    dimList *m = coreModel();
    appendRow(2, 0, 0);
    appendRow(2, 1, 50);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);

    m->sendDmxEnable(true); // loading
    QVERIFY(g_playEnable);
    QVERIFY(m->engine()->isTicking());
    QCOMPARE(dueIn(), std::chrono::milliseconds(30));
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(!m->output()->sendsLive());
    QVERIFY(g_advanceRow);

    ticks(1); // fading
    QVERIFY(m->engine()->isTicking());
    QVERIFY(!g_advanceRow);

    ticks(1); // arrived: holding for speed 2
    QVERIFY(g_advanceRow);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(m->engine()->isHolding());
    QCOMPARE(dueIn(), std::chrono::milliseconds(200));

    m->sendDmxEnable(false); // stopped
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(m->output()->sendsLive());
    QVERIFY(g_advanceRow);
}

void tst_dimlist_playback::stopMidFadeResumes()
{
    dimList *m = coreModel();
    appendRow(1, 10, 200); // step 20 / 3
    appendRow(1, 0, 0);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->sendDmxEnable(true);
    ticks(3);
    QCOMPARE(int(g_dimValue[0]), 20);
    m->sendDmxEnable(false);
    QVERIFY(!g_advanceRow);
    QCOMPARE(g_currentRow, 0);
    // The faders show the red row, not the fade's last output.
    QCOMPARE(int(g_dimValue[0]), 200);
    m->sendDmxEnable(true);
    QSignalSpy spy(m, &dimList::currentRowChanged);
    ticks(1);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(int(g_dimValue[0]), 26);
}

void tst_dimlist_playback::pickMidFade()
{
    dimList *m = coreModel();
    appendRow(1, 10, 200);
    appendRow(1, 10, 100);
    appendRow(1, 10, 40);
    appendRow(1, 0, 0);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(3);
    m->sendDmxEnable(true);
    ticks(3);
    QCOMPARE(int(g_dimValue[0]), 20);
    dmxbox_reset();
    QSignalSpy reset(m, &QAbstractItemModel::modelReset);
    QSignalSpy rows(m, &dimList::currentRowChanged);
    m->dmxRowToDim(1);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(rows.count(), 1);
    QCOMPARE(rows.takeFirst().at(0).toInt(), 1);
    QCOMPARE(int(dmxbox_callCount()), 0); // no live sends while playing
    QCOMPARE(int(g_dimValue[0]), 100);
    QCOMPARE(m->playStart(), 1);
    // The fade now aims at row 1, which the faders already show: the row is over.
    ticks(1);
    QCOMPARE(rows.count(), 0);
    QVERIFY(g_advanceRow);
    ticks(1);
    QCOMPARE(rowsOf(rows), QList<int>{2});
}

void tst_dimlist_playback::oversizedStepLandsOnTarget()
{
    dimList *m = coreModel();
    appendRow(1, 2, 200); // six ticks of 33.3
    appendRow(1, 2, 50);
    appendRow(1, 0, 0);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(2);
    m->sendDmxEnable(true);
    ticks(1);
    QCOMPARE(int(g_dimValue[0]), 33);
    // Row 0 is now the former row 1: 17 to go with the old step of 33.3.
    m->removeRows(0, 1);
    QCOMPARE(g_currentRow, 0);
    ticks(1);
    QCOMPARE(int(g_dimValue[0]), 50); // not 66, which would swing back and forth for ever
    ticks(1);
    QVERIFY(g_advanceRow);
}

void tst_dimlist_playback::pickRefusesMissingRow()
{
    dimList *m = coreModel();
    m->dmxRowToDim(0);
    QCOMPARE(g_currentRow, -1);
    appendRow(0, 0, 9);
    QSignalSpy reset(m, &QAbstractItemModel::modelReset);
    m->dmxRowToDim(1);
    QCOMPARE(g_currentRow, -1);
    QCOMPARE(m->playStart(), 0);
    m->dmxRowToDim(0);
    QCOMPARE(g_currentRow, 0);
    QCOMPARE(int(g_dimValue[511]), 9);
    QCOMPARE(reset.count(), 0); // stopped: no model notification
}

void tst_dimlist_playback::debugLine()
{
    dimList *m = coreModel();
    for (int r = 0; r < 10; ++r)
        appendRow(1, 10, 0);
    appendRow(0, 0, 0);
    m->dmxRowToDim(3);
    m->setPlayerEndRow(9);
    m->setPlayRange(2, m->playRange().end);
    m->sendDmxEnable(true);
    QTest::ignoreMessage(QtDebugMsg, "m_repeat 0 m_times 30 currentRow 4 [from 2 to 9 ]");
    ticks(1);
    m->setPlayEnd(10);
    m->setRepeatsLeft(3);
    g_currentRow = 9;
    g_advanceRow = 1;
    m->publishShow();
    QTest::ignoreMessage(QtDebugMsg, "m_repeat 3 m_times 0 currentRow 10 [from 2 to 10 ]");
    ticks(1);
}

void tst_dimlist_playback::properties()
{
    dimList *m = coreModel();
    QSignalSpy spy(m, &dimList::repeatChanged);
    QVERIFY(m->setProperty("repeat", 4u));
    QCOMPARE(m->repeat(), 4u);
    QCOMPARE(spy.count(), 1); // the repeat box follows
    g_currentRow = 6;
    QCOMPARE(m->property("currentRow").toInt(), 6);
    QVERIFY(!m->setProperty("currentRow", 2));
}

void tst_dimlist_playback::enableOnEmptyTable()
{
    dimList *m = coreModel();
    m->sendDmxEnable(true);
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->output()->sendsLive());
    // Stopping always works.
    g_playEnable = true;
    m->sendDmxEnable(false);
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(m->output()->sendsLive());
}

void tst_dimlist_playback::tableEmptiedWhilePlaying()
{
    dimList *m = coreModel();
    appendRow(1, 0, 0);
    appendRow(1, 10, 200);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(1);
    m->dmxOutputEnable(true);
    m->sendDmxEnable(true);
    ticks(2);
    const int level = g_dimValue[0];
    m->removeAll();
    dmxbox_reset();
    QSignalSpy rows(m, &dimList::currentRowChanged);
    ticks(1);
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(m->output()->sendsLive());
    QCOMPARE(rows.count(), 0);
    QCOMPARE(int(g_dimValue[0]), level);
    QCOMPARE(int(dmxbox_callCount()), 0);
}

void tst_dimlist_playback::holdRestartsTick()
{
    dimList *m = coreModel();
    startHold(0); // enter row 0, arrive: a hold of 0 ms, over at once
    QVERIFY(g_advanceRow);
    QCOMPARE(dueIn(), std::chrono::milliseconds(30));
    QSignalSpy rows(m, &dimList::currentRowChanged);
    QVERIFY(advanceClock(std::chrono::milliseconds(30))); // the tick restarted loads the next row
    QCOMPARE(rows.first().at(0).toInt(), 1);
    m->sendDmxEnable(false);
}

void tst_dimlist_playback::holdAfterStopChangesNothing()
{
    dimList *m = coreModel();
    startHold(1); // hold of 100 ms pending
    QVERIFY(m->engine()->isHolding());
    m->sendDmxEnable(false);
    QSignalSpy rows(m, &dimList::currentRowChanged);
    QVERIFY(advanceClock(std::chrono::milliseconds(250)));
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(m->output()->sendsLive());
    QCOMPARE(rows.count(), 0);
}

void tst_dimlist_playback::holdAfterStopAndRestart()
{
    dimList *m = coreModel();
    startHold(3); // hold of 300 ms pending
    m->sendDmxEnable(false);
    m->sendDmxEnable(true);
    // The restart goes straight on; the old hold no longer exists to restart the tick again.
    QVERIFY(m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
    QCOMPARE(dueIn(), std::chrono::milliseconds(30));
    ticks(1); // loads row 1 and fades it in one tick
    ticks(1); // arrived: a fresh hold of 300 ms
    QVERIFY(m->engine()->isHolding());
    QCOMPARE(dueIn(), std::chrono::milliseconds(300));
    m->sendDmxEnable(false);
}

void tst_dimlist_playback::holdOnEmptiedTableStops()
{
    dimList *m = coreModel();
    startHold(0);
    QVERIFY(g_advanceRow);
    m->removeAll();
    ticks(1); // the tick after the hold finds the table empty
    QVERIFY(!m->engine()->isHolding());
    QVERIFY(!g_playEnable);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(m->output()->sendsLive());
}

QTEST_GUILESS_MAIN(tst_dimlist_playback)
#include "tst_dimlist_playback.moc"
