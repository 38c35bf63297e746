#include "patchcases.h"

#include <QtTest>

class tst_dmx : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void setDmxValue_data();
    void setDmxValue();
    void outputDisabledSendsNothing();
    void unmappedSlotsKeepTheirValue();
    void setAllWritesEveryFrameSlot();
    void setDefaultGoesThroughThePatch();
    void bulkOperationsWriteTheCurrentRow();
    void oneLibraryCallPerSend();
    void frames_data() { addPatchCases(); }
    void frames();
    void startUpFrameIsUnchanged();
};

namespace
{
// Every level differs from its neighbours and from the fill of slots no channel reaches.
QByteArray sendPattern()
{
    for (int c = 0; c < 512; ++c)
        g_dimValue[c] = static_cast<uchar>(c % 250 + 1);
    std::memset(g_dmxFrame, 0xfe, sizeof g_dmxFrame);
    coreModel()->output()->setOutputEnabled(true);
    coreModel()->output()->sendDmx();
    // Sent by the output thread; the next frame may follow at its distance of 15 ms.
    if (!advanceClock(std::chrono::milliseconds(15)))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(dmxbox_lastFrame()), 512);
}
} // namespace

void tst_dmx::setDmxValue_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("index"); // channel object that must change
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("live");
    QTest::addColumn<int>("signals_");
    QTest::addColumn<int>("sends");

    QTest::newRow("changed, live") << 5 << 5 << 0 << 90 << true << 1 << 1;
    QTest::newRow("unchanged, live still sends") << 5 << 5 << 90 << 90 << true << 0 << 1;
    QTest::newRow("changed, not live") << 5 << 5 << 0 << 90 << false << 1 << 0;
    QTest::newRow("600 clamps to channel 512") << 600 << 511 << 0 << 33 << true << 1 << 1;
}

void tst_dmx::setDmxValue()
{
    QFETCH(int, channel);
    QFETCH(int, index);
    QFETCH(int, start);
    QFETCH(int, value);
    QFETCH(bool, live);
    QFETCH(int, signals_);
    QFETCH(int, sends);

    dmx *out = coreModel()->output();
    out->setOutputEnabled(true);
    out->setSendLive(live);
    g_dimValue[index] = static_cast<uchar>(start);
    QSignalSpy spy(::channel(index), &dim::dimValueChanged);
    out->setDmxValue(static_cast<uchar>(value), static_cast<ushort>(channel));
    QCOMPARE(int(g_dimValue[index]), value);
    QCOMPARE(spy.count(), signals_);
    QVERIFY(settleEngine());
    QCOMPARE(int(dmxbox_callCount()), sends);
}

void tst_dmx::outputDisabledSendsNothing()
{
    dmx *out = coreModel()->output();
    g_dimValue[0] = 200;
    g_dmxFrame[0] = 7;
    out->sendDmx();
    QVERIFY(settleEngine());
    QCOMPARE(int(g_dmxFrame[0]), 7);
    QCOMPARE(int(dmxbox_callCount()), 0);
}

void tst_dmx::unmappedSlotsKeepTheirValue()
{
    dmx *out = coreModel()->output();
    out->setOutputEnabled(true);
    fixture(5)->setSelectUnannounced(
        false); // channels 90..107 go nowhere, slots 90..107 are not written
    g_dmxFrame[95] = 42;
    g_dmxFrame[300] = 17;
    g_dimValue[300] = 250;
    g_dimValue[10] = 11;
    // Each at its distance of 15 ms from the one before, so none is merged into the next.
    for (int i = 0; i < 3; ++i) {
        out->sendDmx();
        QVERIFY(advanceClock(std::chrono::milliseconds(15)));
    }
    QCOMPARE(int(dmxbox_callCount()), 3);
    QCOMPARE(int(dmxbox_lastDevice()), 0);
    QCOMPARE(int(dmxbox_lastFrame()[95]), 42);
    QCOMPARE(int(dmxbox_lastFrame()[300]), 17);
    QCOMPARE(int(dmxbox_lastFrame()[10]), 11);
}

void tst_dmx::setAllWritesEveryFrameSlot()
{
    dmx *out = coreModel()->output();
    QSignalSpy reset(coreModel(), &QAbstractItemModel::modelReset);
    QTest::ignoreMessage(QtDebugMsg, "dmx::setAllDmxValue OK: 77");
    out->setAllDmxValue(77);
    for (int i = 0; i < 512; ++i) {
        QCOMPARE(int(g_dmxFrame[i]), 77);
        QCOMPARE(int(g_dimValue[i]), 77);
    }
    QCOMPARE(reset.count(), 1);
    QVERIFY(settleEngine());
    QCOMPARE(int(dmxbox_callCount()), 0); // output off: nothing leaves
}

void tst_dmx::setDefaultGoesThroughThePatch()
{
    dmx *out = coreModel()->output();
    fixture(0)->setSelectUnannounced(false);
    QTest::ignoreMessage(QtDebugMsg, "dmx::setDefaultDmxValue OK:");
    out->setDefaultDmxValue();
    const QVector<int> levels{255, 0, 200, 200, 0, 0,   128, 128, 0,   0, 128,
                              0,   0, 0,   0,   0, 128, 128, 128, 128, 0};
    for (int i = 0; i < levels.size(); ++i)
        QCOMPARE(int(g_dimValue[i]), levels[i]);
    for (int i = 0; i < 512; ++i)
        QCOMPARE(int(g_dmxFrame[i]), 0); // no send yet
    out->setOutputEnabled(true);
    out->sendDmx();
    // Fixture 0 is off, so channels 19 and 20 (fixture 1) land in slots 0 and 1.
    QCOMPARE(int(g_dmxFrame[0]), 128);
    QCOMPARE(int(g_dmxFrame[1]), 128);
    QCOMPARE(int(g_dmxFrame[2]), 0);
}

void tst_dmx::bulkOperationsWriteTheCurrentRow()
{
    tableRow row = appendRow();
    g_currentRow = -1;
    coreModel()->output()->setAllDmxValue(50);
    QCOMPARE(int(row.at(3)), 0); // no current row, no cell
    g_currentRow = 0;
    coreModel()->output()->setAllDmxValue(60);
    QCOMPARE(int(row.at(3)), 60);
    QCOMPARE(int(row.at(514)), 60);
    QCOMPARE(int(row.at(1)), 0);
    coreModel()->output()->setDefaultDmxValue();
    QCOMPARE(int(row.at(3)), 255);
    QCOMPARE(int(row.at(4)), 0);
}

void tst_dmx::oneLibraryCallPerSend()
{
    dmx *out = coreModel()->output();
    out->setOutputEnabled(true);
    for (int i = 0; i < 512; ++i)
        g_dimValue[i] = static_cast<uchar>(i);
    out->sendDmx();
    QVERIFY(settleEngine());
    QCOMPARE(int(dmxbox_callCount()), 1);
    for (int i = 0; i < 108; ++i)
        QCOMPARE(int(dmxbox_lastFrame()[i]), i);
    QCOMPARE(int(dmxbox_lastFrame()[108]), 0);
}

void tst_dmx::frames()
{
    QFETCH(QList<int>, fixtures);
    QFETCH(QList<int>, off);
    QFETCH(QList<int>, sent);
    applyPatchCase(fixtures, off);
    QByteArray expected(512, char(0xfe));
    for (int slot = 0; slot < sent.size(); ++slot)
        expected[slot] = char(sent.at(slot) % 250 + 1);
    QCOMPARE(sendPattern(), expected);
}

// Slots 0 to 107 carry channels 1 to 108, the rest keep what they held, before and after
// fixtures have come and gone.
void tst_dmx::startUpFrameIsUnchanged()
{
    QByteArray today(512, char(0xfe));
    for (int c = 0; c < 108; ++c)
        today[c] = char(c % 250 + 1);
    QCOMPARE(sendPattern(), today);
    applyPatchCase({33, 33, 33, 33, -1, -1, -1, -1}, {});
    QCOMPARE(sendPattern(), today);
}

QTEST_GUILESS_MAIN(tst_dmx)
#include "tst_dmx.moc"
