#include "changeset.h"
#include "dim.h"
#include "dmx.h"
#include "playstate.h"
#include "showdocument.h"
#include "windowannouncer.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>

using showOperation = std::function<void(showDocument &, windowAnnouncer &)>;
Q_DECLARE_METATYPE(showOperation)

namespace
{
// Five rows, the first channel of each at 10 × its row, with the faders and the announcer
// that tells the window of them, which has told it once.
struct toldShow {
    toldShow()
    {
        for (int row = 0; row < 5; ++row) {
            const uchar level = uchar(10 * row);
            show.stepsForWriting().append(100, 0, &level, 1);
        }
    }
    int faderLevel() const { return output.channel(0)->dimValue(); }
    showDocument show;
    dmx output{show};
    windowAnnouncer announcer{show, output};
};
} // namespace

// The window hears of what an operation changed once, after it, and of nothing else.
class tst_windowannouncer : public QObject
{
    Q_OBJECT

  private slots:
    void toldOnceAfterTheOperation_data();
    void toldOnceAfterTheOperation();
    void playbackNews();
};

void tst_windowannouncer::toldOnceAfterTheOperation_data()
{
    QTest::addColumn<showOperation>("operation");
    QTest::addColumn<int>("rangeNews");
    QTest::addColumn<int>("rowNews");
    QTest::addColumn<int>("editRow");
    QTest::addColumn<int>("faderLevel"); // the first channel's; each row's level is 10 × row
    using op = showOperation;
    QTest::newRow("nothing changed")
        << op([](showDocument &, windowAnnouncer &w) { w.settle(false); }) << 0 << 0 << -1 << 0;
    QTest::newRow("range set twice") << op([](showDocument &s, windowAnnouncer &w) {
        const changeSet edit;
        s.setPlayRange(1, 2);
        w.settle(false);
        s.setPlayRange(1, 3);
        w.settle(false);
    }) << 1 << 0 << -1 << 0;
    QTest::newRow("rows in a batch") << op([](showDocument &s, windowAnnouncer &w) {
        w.beginBatch();
        s.setEditRow(2);
        w.settle(true);
        w.beginBatch();
        s.setEditRow(3);
        w.settle(false);
        w.endBatch();
        w.settle(false);
        w.endBatch();
    }) << 0 << 1 << 3 << 30;
    QTest::newRow("edit row past the table") << op([](showDocument &s, windowAnnouncer &w) {
        s.setEditRow(9);
        w.settle(false);
    }) << 0 << 1 << 4 << 0;
}

// An operation that asks puts the edit row's levels on the faders; a stopped show's edit row
// stays inside the table.
void tst_windowannouncer::toldOnceAfterTheOperation()
{
    QFETCH(showOperation, operation);
    toldShow told;
    told.announcer.settle(false);
    QSignalSpy range(&told.announcer, &windowAnnouncer::playRangeChanged);
    QSignalSpy row(&told.announcer, &windowAnnouncer::currentRowChanged);
    operation(told.show, told.announcer);
    QFETCH(int, rangeNews);
    QFETCH(int, rowNews);
    QFETCH(int, editRow);
    QFETCH(int, faderLevel);
    QCOMPARE(range.count(), rangeNews);
    QCOMPARE(row.count(), rowNews);
    QCOMPARE(told.show.editRow(), editRow);
    if (rowNews > 0)
        QCOMPARE(row.last().at(0).toInt(), editRow);
    QCOMPARE(told.faderLevel(), faderLevel);
}

// Playback's news: a loaded row reaches the window even when it is the row shown, and a stop
// puts the edit row's levels back on the faders.
void tst_windowannouncer::playbackNews()
{
    toldShow told;
    g_playEnable = true;
    told.show.setEditRow(1);
    told.announcer.settle(false);
    QSignalSpy row(&told.announcer, &windowAnnouncer::currentRowChanged);
    QSignalSpy playing(&told.announcer, &windowAnnouncer::playingChanged);
    told.announcer.rowLoaded();
    QCOMPARE(row.count(), 1);
    QCOMPARE(row.at(0).at(0).toInt(), 1);
    QCOMPARE(told.faderLevel(), 0);
    g_playEnable = false;
    told.announcer.settle(false);
    QCOMPARE(playing.count(), 1);
    QCOMPARE(told.faderLevel(), 10);
}

QTEST_GUILESS_MAIN(tst_windowannouncer)
#include "tst_windowannouncer.moc"
