#include "coretestsupport.h"
#include "songtimeline.h"

#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QtTest>

// The song strip over a real model: its blocks are the range's pass as it plays and follow
// every edit at once; the window shows them, the beats and the playhead, never an old picture.
class tst_songtimeline : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void blocksFollowTable_data();
    void blocksFollowTable();
    void pictureFollowsEdits();
};

using ints = QList<int>;

void tst_songtimeline::blocksFollowTable_data()
{
    QTest::addColumn<ints>("steps"); // hold and fade of each row
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("between");
    QTest::addColumn<double>("speed");
    QTest::newRow("holds") << ints{1, 0, 2, 0, 3, 0, 4, 0} << 0 << 3 << 1 << 1.0;
    QTest::newRow("fades, mid-table") << ints{1, 5, 0, 10, 2, 0, 1, 3, 5, 1} << 1 << 3 << 1 << 1.0;
    QTest::newRow("speed master") << ints{3, 2, 1, 6, 4, 0} << 0 << 2 << 1 << 2.0;
    QTest::newRow("stride") << ints{1, 0, 2, 2, 3, 0, 4, 2, 5, 0} << 0 << 4 << 2 << 0.5;
}

// Speed master, range and stride are set one after the other once the strip has laid out, so
// each change must reach it on its own; then a hold grows. Layouts are checked against the
// values set by hand, rowAt against the blocks.
void tst_songtimeline::blocksFollowTable()
{
    QFETCH(ints, steps);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, between);
    QFETCH(double, speed);
    dimList *m = coreModel();
    for (int i = 0; i < steps.size(); i += 2)
        appendRow(quint16(steps[i]), quint16(steps[i + 1]), quint16(30 * i));
    songTimeline strip;
    strip.setModel(m);
    QVERIFY(!strip.pass().empty()); // laid out before the changes

    const auto fresh = [m] { return showTimeline::build(m->playSetup())->pass(); };
    m->setSpeedMaster(speed);
    QCOMPARE(strip.pass(), fresh());
    m->dmxRowToDim(ushort(start));
    m->setPlayerEndRow(ushort(end));
    QCOMPARE(strip.pass(), fresh());
    m->setDmxDataBetween(uint(between));
    showTimeline::setup show{m->steps(), start, end, uint(between), 0, {}, speed};
    const std::vector<showTimeline::span> before = showTimeline::build(show)->pass();
    QCOMPARE(strip.pass(), before);

    m->setDmxData(ushort(steps[2 * start] + 7), 1, ushort(start));
    show.rows = m->steps();
    QCOMPARE(strip.pass(), showTimeline::build(show)->pass());
    for (size_t i = 1; i < before.size(); ++i)
        QVERIFY(strip.pass()[i].startMs > before[i].startMs);
    // A block's first and last ms are its own, in the song's second pass as in the first.
    for (const showTimeline::span &step : strip.pass()) {
        QCOMPARE(strip.rowAt(strip.passMs() + step.startMs), step.row);
        QCOMPARE(strip.rowAt(step.startMs + step.lengthMs - 1), step.row);
    }
}

// Drawn by the window as a user sees it: the playhead, a bar's beat and a block's left edge
// at their places; after an edit the edge moves and no trace of the old one stays.
void tst_songtimeline::pictureFollowsEdits()
{
    dimList *m = coreModel();
    for (int i = 0; i < 3; ++i)
        appendRow(10);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(2);
    QQuickWindow window;
    songTimeline strip(window.contentItem());
    strip.setSize(QSizeF(1000, 90));
    strip.setModel(m);
    songTimeline::outline song{10000, QVector<songPeak>(500, {-0.1f, 0.1f}), {}};
    for (int beat = 0; beat < 20; ++beat)
        song.beats << 250.0 + 500 * beat;
    strip.setOutline(song);
    strip.setPlayheadMs(7000);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const int blockY = 80, beatY = 20; // in the blocks; in the waveform's band, above it
    const auto at = [&strip](int x, int y) {
        const QSharedPointer<QQuickItemGrabResult> grab = strip.grabToImage();
        QSignalSpy ready(grab.data(), &QQuickItemGrabResult::ready);
        return ready.wait(5000) ? grab->image().pixelColor(x, y) : QColor();
    };
    const int edge = int(strip.pass()[1].startMs / 10);
    QCOMPARE(at(700, beatY), QColor(Qt::red));
    QCOMPARE(at(25, beatY), QColor(0x4682b4));
    QCOMPARE(at(edge, blockY), QColor(0x808080));

    // The old edge now lies in the block of the current row, highlighted.
    m->setDmxData(15, 1, 0);
    QCOMPARE(at(edge + 50, blockY), QColor(0x808080));
    QCOMPARE(at(edge, blockY), QColor(0xadd8e6));
    strip.setPlayheadMs(3000);
    QCOMPARE(at(300, beatY), QColor(Qt::red));
}

QTEST_MAIN(tst_songtimeline)
#include "tst_songtimeline.moc"
