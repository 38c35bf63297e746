#include "coretestsupport.h"
#include "songtimeline.h"

#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QtTest>

// The song strip over a real model: its blocks are one pass of the range as playback plays
// it, they follow every edit at once, and the window shows them, the beats and the playhead
// where they belong, never an older picture.
class tst_songtimeline : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void blocksFollowTable_data();
    void blocksFollowTable();
    void rowAtBlockEdges_data();
    void rowAtBlockEdges();
    void pictureFollowsEdits();
};

namespace
{
using ints = QList<int>;

void fillTable(const ints &holds, const ints &fades)
{
    for (int i = 0; i < holds.size(); ++i)
        appendRow(quint16(holds[i]), quint16(fades[i]), quint16(60 * i));
}

ints rowsOf(const std::vector<showTimeline::span> &pass)
{
    ints rows;
    for (const showTimeline::span &step : pass)
        rows << step.row;
    return rows;
}
} // namespace

void tst_songtimeline::blocksFollowTable_data()
{
    QTest::addColumn<ints>("holds");
    QTest::addColumn<ints>("fades");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("between");
    QTest::addColumn<double>("speed");
    QTest::addColumn<ints>("rows");
    QTest::newRow("holds") << ints{1, 2, 3, 4} << ints{0, 0, 0, 0} << 0 << 3 << 1 << 1.0
                           << ints{0, 1, 2, 3};
    QTest::newRow("fades, part of the table")
        << ints{1, 0, 2, 1, 5} << ints{5, 10, 0, 3, 1} << 1 << 3 << 1 << 1.0 << ints{1, 2, 3};
    QTest::newRow("speed master") << ints{3, 1, 4} << ints{2, 6, 0} << 0 << 2 << 1 << 2.0
                                  << ints{0, 1, 2};
    QTest::newRow("stride") << ints{1, 2, 3, 4, 5} << ints{0, 2, 0, 2, 0} << 0 << 4 << 2 << 0.5
                            << ints{0, 2, 4};
}

// The speed master, range and stride are set through the model one after the other once the
// strip has laid its blocks out, so each change must reach it on its own; then a hold of the
// pass's first row grows. The last layout is checked against the model's values by hand.
void tst_songtimeline::blocksFollowTable()
{
    QFETCH(ints, holds);
    QFETCH(ints, fades);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, between);
    QFETCH(double, speed);
    QFETCH(ints, rows);
    dimList *m = coreModel();
    fillTable(holds, fades);
    songTimeline strip;
    strip.setModel(m);
    QVERIFY(!strip.pass().empty());

    const auto fresh = [m] { return showTimeline::build(m->playSetup())->pass(); };
    m->setSpeedMaster(speed);
    QCOMPARE(strip.pass(), fresh());
    m->dmxRowToDim(ushort(start));
    m->setPlayerEndRow(ushort(end));
    QCOMPARE(strip.pass(), fresh());
    m->setDmxDataBetween(uint(between));
    showTimeline::setup show;
    show.rows = m->steps();
    show.playStart = start;
    show.playEnd = end;
    show.between = uint(between);
    show.speed = speed;
    const std::vector<showTimeline::span> before = showTimeline::build(show)->pass();
    QCOMPARE(strip.pass(), before);
    QCOMPARE(rowsOf(strip.pass()), rows);

    m->setDmxData(ushort(holds[start] + 7), 1, ushort(start));
    show.rows = m->steps();
    QCOMPARE(strip.pass(), showTimeline::build(show)->pass());
    for (size_t i = 1; i < before.size(); ++i)
        QVERIFY(strip.pass()[i].startMs > before[i].startMs);
}

void tst_songtimeline::rowAtBlockEdges_data()
{
    QTest::addColumn<int>("block");  // whose start is probed
    QTest::addColumn<int>("passes"); // passes before it
    QTest::addColumn<int>("offsetMs");
    QTest::addColumn<int>("row");
    QTest::newRow("song start") << 0 << 0 << 0 << 0;
    QTest::newRow("before time") << 0 << 0 << -1 << -1;
    QTest::newRow("a block's start") << 2 << 0 << 0 << 2;
    QTest::newRow("a block's last ms") << 2 << 0 << -1 << 1;
    QTest::newRow("next pass") << 0 << 1 << 0 << 0;
    QTest::newRow("end of a pass") << 0 << 1 << -1 << 3;
    QTest::newRow("third pass") << 1 << 2 << 1 << 1;
}

void tst_songtimeline::rowAtBlockEdges()
{
    QFETCH(int, block);
    QFETCH(int, passes);
    QFETCH(int, offsetMs);
    QFETCH(int, row);
    fillTable({2, 3, 1, 4}, {4, 0, 9, 2});
    coreModel()->setPlayerEndRow(3);
    songTimeline strip;
    strip.setModel(coreModel());
    const qint64 at = passes * strip.passMs() + strip.pass()[size_t(block)].startMs + offsetMs;
    QCOMPARE(strip.rowAt(at), row);
}

// Drawn by the window as a user sees it: the playhead, a bar's beat and a block's left edge
// at their places; after an edit the edge moves and no trace of the old one stays.
void tst_songtimeline::pictureFollowsEdits()
{
    dimList *m = coreModel();
    fillTable({10, 10, 10}, {0, 0, 0});
    m->dmxRowToDim(0);
    m->setPlayerEndRow(2);
    QQuickWindow window;
    window.resize(1000, 90);
    songTimeline strip(window.contentItem());
    strip.setSize(QSizeF(1000, 90));
    strip.setModel(m);
    songTimeline::outline song;
    song.lengthMs = 10000;
    song.peaks.fill({-0.1f, 0.1f}, 500);
    for (int beat = 0; beat < 20; ++beat)
        song.beats << 250.0 + 500 * beat;
    strip.setOutline(song);
    strip.setPlayheadMs(7000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const int blockY = 80, beatY = 20;
    const auto at = [&strip](int x, int y) {
        const QSharedPointer<QQuickItemGrabResult> grab = strip.grabToImage();
        QSignalSpy ready(grab.data(), &QQuickItemGrabResult::ready);
        return ready.wait(5000) ? grab->image().pixelColor(x, y) : QColor();
    };
    const qint64 edgeMs = strip.pass()[1].startMs;
    const int edge = int(edgeMs / 10);
    QCOMPARE(at(700, beatY), QColor(Qt::red));
    QCOMPARE(at(25, beatY), QColor(0x4682b4));
    QCOMPARE(at(edge, blockY), QColor(0x808080));
    QCOMPARE(at(edge + 1, blockY), QColor(0xd3d3d3));

    // The old edge now lies in the block of the current row, highlighted.
    m->setDmxData(15, 1, 0);
    QCOMPARE(at(edge + 50, blockY), QColor(0x808080));
    QCOMPARE(at(edge, blockY), QColor(0xadd8e6));
    strip.setPlayheadMs(3000);
    QCOMPARE(at(300, beatY), QColor(Qt::red));
}

QTEST_MAIN(tst_songtimeline)
#include "tst_songtimeline.moc"
