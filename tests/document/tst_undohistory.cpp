#include "cellscommand.h"
#include "coretestsupport.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{
undoHistory *history()
{
    return coreModel()->changeHistory();
}

} // namespace

class tst_undohistory : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void dragIsOneStep();
    void writesApartAreTwoSteps_data();
    void writesApartAreTwoSteps();
    void boundedOnLargeTable();
};

void tst_undohistory::init()
{
    freshCore();
    for (int r = 0; r < 6; ++r)
        appendRow(quint16(r), quint16(10 + r), quint16(20 * r));
    g_currentRow = 2;
}

void tst_undohistory::dragIsOneStep()
{
    for (int v = 1; v <= 50; ++v)
        channel(3)->setDimValue(uchar(v), true, false);
    QCOMPARE(history()->count(), 1);
    QCOMPARE(int(coreModel()->steps().cell(2, 6)), 50);
    QVERIFY(history()->undo());
    QCOMPARE(int(coreModel()->steps().cell(2, 6)), 40);
    QCOMPARE(int(g_dimValue[3]), 40); // the fader follows its row
}

void tst_undohistory::writesApartAreTwoSteps_data()
{
    QTest::addColumn<qint64>("gapMs");
    QTest::addColumn<int>("steps");
    QTest::newRow("within the drag gap") << cellsCommand::kDragGapMs << 1;
    QTest::newRow("just past it") << cellsCommand::kDragGapMs + 1 << 2;
}

// Two writes to one cell merge by the history's clock, not by how fast the test runs.
void tst_undohistory::writesApartAreTwoSteps()
{
    QFETCH(qint64, gapMs);
    QFETCH(int, steps);
    qint64 now = 1000;
    history()->setClock([&now] { return now; });
    coreModel()->setDmxData(5, 4, 1);
    now += gapMs;
    coreModel()->setDmxData(6, 4, 1);
    QCOMPARE(history()->count(), steps);
}

// Steps beyond the limit go; a cell edit keeps its cells only, not the table.
void tst_undohistory::boundedOnLargeTable()
{
    coreFixture::stopModelChecks();
    for (int r = 0; r < 10000; ++r)
        appendRow(1, 1, 0);
    for (int i = 0; i < undoHistory::kStepLimit + 50; ++i)
        coreModel()->setDmxData(quint16(i % 256), quint16(3 + i % 500), quint16(i));
    QCOMPARE(history()->count(), undoHistory::kStepLimit);
    for (int i = 0; i < undoHistory::kStepLimit; ++i)
        QVERIFY(history()->undo());
    QVERIFY(!history()->undo());
    QCOMPARE(int(coreModel()->steps().cell(60, 63)), 0);
    QCOMPARE(int(coreModel()->steps().cell(10, 13)), 10); // older than the limit: kept
}

QTEST_GUILESS_MAIN(tst_undohistory)
#include "tst_undohistory.moc"
