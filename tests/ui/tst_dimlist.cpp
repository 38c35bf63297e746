#include "coretestsupport.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QtTest>

class tst_dimlist : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void newModel();
    void roleNames();
    void dataRoles();
    void outsideRowsAreRefused();
    void setDmxData_data();
    void setDmxData();
    void setDataSameValue();
    void repeatSetElsewhereIsShown();
    void linkFanOut_data();
    void linkFanOut();
    void refrushIndex();
    void headerData();
    void modelTester();
    void signalsWaitForTheOperation();
};

namespace
{
QList<QByteArray> s_reported;
void recordReport(const QByteArray &what)
{
    s_reported << what;
}
} // namespace

// The check every test runs under reports a signal sent inside an operation; one queued with
// afterwards() leaves when the outermost operation ends.
void tst_dimlist::signalsWaitForTheOperation()
{
    dimList *m = coreModel();
    s_reported.clear();
    lockCheck::reporter() = recordReport;
    QSignalSpy spy(m, &dimList::statusMessageChanged);
    {
        const changeSet outer;
        {
            const changeSet inner;
            emit m->statusMessageChanged();
            changeSet::afterwards([m] { emit m->statusMessageChanged(); });
        }
        QCOMPARE(spy.count(), 1);
    }
    lockCheck::reporter() = lockCheck::failHard;
    QCOMPARE(spy.count(), 2);
    QCOMPARE(s_reported, QList<QByteArray>{"dimList::statusMessageChanged()"});
}

void tst_dimlist::newModel()
{
    dimList *m = coreModel();
    QCOMPARE(m->rowCount(), 0);
    QCOMPARE(m->columnCount(), 515);
    QCOMPARE(m->playStart(), 0);
    QCOMPARE(m->playEnd(), -1);
    QCOMPARE(m->property("currentRow").toInt(), -1);
    QCOMPARE(m->property("repeat").toUInt(), 0u);
    QVERIFY(!m->engine()->isTicking());
    QVERIFY(!m->engine()->isHolding());
}

void tst_dimlist::roleNames()
{
    const QHash<int, QByteArray> names = coreModel()->roleNames();
    QCOMPARE(names.size(), 515);
    QCOMPARE(names.value(257), QByteArray("c_id"));
    QCOMPARE(names.value(258), QByteArray("speed"));
    QCOMPARE(names.value(259), QByteArray("fade"));
    QCOMPARE(names.value(260), QByteArray("channel1"));
    QCOMPARE(names.value(771), QByteArray("channel512"));
    QVERIFY(!names.contains(Qt::DisplayRole));
}

void tst_dimlist::dataRoles()
{
    dimList *m = coreModel();
    tableRow row = appendRow(4, 7);
    row[3] = 99;
    row[514] = 12;
    const QModelIndex i = m->index(0, 40);
    QCOMPARE(m->data(i, 260).toInt(), 99); // the role picks the cell, not the column
    QCOMPARE(m->data(i, 771).toInt(), 12);
    QCOMPARE(m->data(i, 258).toInt(), 4);
    QCOMPARE(m->data(m->index(0, 3), Qt::DisplayRole).toInt(), 99);
    QCOMPARE(m->data(i, Qt::TextAlignmentRole).toInt(), 132);
    QCOMPARE(m->data(i, Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::black));
    g_currentRow = 0;
    QCOMPARE(m->data(i, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::red));
    g_currentRow = -1;
    QCOMPARE(m->data(i, Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::lightGray));
    QVERIFY(!m->data(i, Qt::ToolTipRole).isValid());
    QCOMPARE(int(m->flags(i)), 35);
    QCOMPARE(int(m->flags(QModelIndex())), 0);
}

void tst_dimlist::outsideRowsAreRefused()
{
    dimList *m = coreModel();
    appendRow();
    // An index made for a row that was removed since must not reach m_data.
    const QModelIndex stale = m->index(0, 3);
    m->stepsForWriting().clear();
    QVERIFY(!m->data(stale, 260).isValid());
    QVERIFY(!m->setData(stale, 5, Qt::EditRole));
    QCOMPARE(int(m->flags(stale)), 0);
}

void tst_dimlist::setDmxData_data()
{
    QTest::addColumn<bool>("playing");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("cell");    // cell expected to hold 200 afterwards, -1 = none
    QTest::addColumn<int>("current"); // g_currentRow afterwards (starts at 5)

    QTest::newRow("channel cell") << false << 10 << 1 << 10 << 1;
    QTest::newRow("column 700 is channel 512") << false << 700 << 2 << 514 << 2;
    QTest::newRow("refused during playback") << true << 10 << 1 << -1 << 5;
    QTest::newRow("row after the last") << false << 10 << 3 << -1 << 5;
    QTest::newRow("current row -1 as 65535") << false << 10 << 65535 << -1 << 5;
    QTest::newRow("speed cell") << false << 1 << 0 << 1 << 0;
}

void tst_dimlist::setDmxData()
{
    QFETCH(bool, playing);
    QFETCH(int, col);
    QFETCH(int, row);
    QFETCH(int, cell);
    QFETCH(int, current);

    dimList *m = coreModel();
    for (int i = 0; i < 3; ++i)
        appendRow();
    g_currentRow = 5;
    g_playEnable = playing;
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    m->setDmxData(200, static_cast<ushort>(col), static_cast<ushort>(row));
    g_playEnable = false;
    QCOMPARE(g_currentRow, current);
    // Only a move of the current row is announced, so that the window marks it.
    QCOMPARE(rowSpy.count(), current != 5 ? 1 : 0);
    for (int r = 0; r < 3; ++r)
        for (int c = 1; c < 515; ++c)
            QCOMPARE(int(m->steps().cell(r, c)), (r == row && c == cell) ? 200 : 0);
    // Speed and fade never reach a fader.
    if (cell == 1)
        QCOMPARE(int(g_dimValue[0]), 0);
}

void tst_dimlist::setDataSameValue()
{
    dimList *m = coreModel();
    tableRow row = appendRow();
    row[5] = 80;
    g_dimValue[2] = 3;
    QVERIFY(!m->setData(m->index(0, 5), 80, Qt::EditRole));
    QCOMPARE(int(g_dimValue[2]), 80); // the fader still follows
    // A level is a byte: the cell and the fader both take a larger one as full.
    QVERIFY(m->setData(m->index(0, 5), 70000, Qt::EditRole));
    QCOMPARE(int(row.at(5)), 255);
    QCOMPARE(int(g_dimValue[2]), 255);
}

// A count set by a remote reaches the repeat box; set to 0 it stops nothing.
void tst_dimlist::repeatSetElsewhereIsShown()
{
    dimList *m = coreModel();
    appendRow(1, 0, 0);
    m->dmxOutputEnable(true);
    QSignalSpy told(m, &dimList::repeatChanged);
    m->setRepeat(3);
    m->setRepeat(3);
    m->setRepeat(0);
    QCOMPARE(told.count(), 2);
    QCOMPARE(told.last().at(0).toUInt(), 0u);
    QVERIFY(m->outputEnabled());
}

void tst_dimlist::linkFanOut_data()
{
    QTest::addColumn<QList<int>>("linked"); // 1-based channels with the link flag
    QTest::addColumn<int>("written");       // 1-based channel written
    QTest::addColumn<QList<int>>("changed");

    QTest::newRow("6 fans out to 2 and 4") << QList<int>{2, 4, 6} << 6 << QList<int>{2, 4, 6};
    QTest::newRow("2 writes only 2") << QList<int>{2, 4, 6} << 2 << QList<int>{2};
    QTest::newRow("unlinked 6 writes only 6") << QList<int>{2, 4} << 6 << QList<int>{6};
    QTest::newRow("channel 1 never fans out") << QList<int>{1, 2} << 1 << QList<int>{1};
    QTest::newRow("higher links untouched") << QList<int>{3, 5, 9} << 5 << QList<int>{3, 5};
}

void tst_dimlist::linkFanOut()
{
    QFETCH(QList<int>, linked);
    QFETCH(int, written);
    QFETCH(QList<int>, changed);
    dimList *m = coreModel();
    tableRow row = appendRow();
    for (int ch : linked)
        channel(ch - 1)->setDimLinkage(true);
    m->output()->setOutputEnabled(true);
    m->output()->setSendLive(true);
    m->setDmxData(123, static_cast<ushort>(written + 2), 0);
    for (int ch = 1; ch <= 512; ++ch)
        QCOMPARE(int(row.at(ch + 2)), changed.contains(ch) ? 123 : 0);
    // Every cell write forwards its level and, live, asks for a frame: the first goes out at
    // once, the others of the same moment together 15 ms later, with every level written.
    QVERIFY(advanceClock(std::chrono::milliseconds(15)));
    QVERIFY(int(dmxbox_callCount()) >= 1);
    QVERIFY(int(dmxbox_callCount()) <= qMin(changed.size(), 2));
    for (int ch : changed)
        QCOMPARE(int(dmxbox_lastFrame()[ch - 1]), 123);
}

void tst_dimlist::refrushIndex()
{
    dimList *m = coreModel();
    for (quint16 speed : {7, 8, 9})
        appendRow(speed);
    // A step's number is its position, also right after a move.
    QVERIFY(m->moveRows(QModelIndex(), 0, 1, QModelIndex(), 3));
    QSignalSpy reset(m, &QAbstractItemModel::modelReset);
    m->refrushIndex();
    QCOMPARE(reset.count(), 1);
    const QList<int> speeds{8, 9, 7};
    for (int r = 0; r < 3; ++r) {
        QCOMPARE(int(m->steps().cell(r, 0)), r);
        QCOMPARE(int(m->steps().speed(r)), speeds.at(r));
    }
}

void tst_dimlist::headerData()
{
    dimList *m = coreModel();
    for (int r = 0; r < 5; ++r)
        appendRow();
    QCOMPARE(m->headerData(4, Qt::Vertical).toString(), QString("5"));
    QCOMPARE(m->headerData(3, Qt::Horizontal).toString(), QString("channel1"));
    QVERIFY(!m->headerData(3, Qt::Horizontal, Qt::EditRole).isValid());
    QSignalSpy spy(m, &QAbstractItemModel::headerDataChanged);
    QVERIFY(!m->setHeaderData(4, Qt::Vertical, QString("5"), Qt::DisplayRole));
    QVERIFY(m->setHeaderData(4, Qt::Vertical, QString("x"), Qt::DisplayRole));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m->headerData(4, Qt::Vertical).toString(), QString("5"));
}

void tst_dimlist::modelTester()
{
    dimList *m = coreModel();
    rowTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    appendRow(1, 2, 3);
    appendRow(4, 5, 6);
    m->setDmxData(9, 3, 1);
    m->refrushIndex();
    m->refrushModel();
}

QTEST_GUILESS_MAIN(tst_dimlist)
#include "tst_dimlist.moc"
