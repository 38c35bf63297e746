#include "coretestsupport.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class tst_dimlist_editing : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void insertRowsNumbersAndCopies();
    void insertRowsRefused_data();
    void insertRowsRefused();
    void insertEndRows_data();
    void insertEndRows();
    void insertCurrRows_data();
    void insertCurrRows();
    void removeRowsClipsToTable_data();
    void removeRowsClipsToTable();
    void removeSelectRows_data();
    void removeSelectRows();
    void removeCurrRows_data();
    void removeCurrRows();
    void removeEndRows();
    void removeAll_data();
    void removeAll();
    void moveRows_data();
    void moveRows();
    void moveUpDown_data();
    void moveUpDown();
    void walk_data();
    void walk();
    void setAllDmxSpeedCross();
    void editsDuringPlayback_data();
    void editsDuringPlayback();
    void modelTester();
    void statusBelongsToItsAction_data();
    void statusBelongsToItsAction();
};

namespace
{
// Rows 0 .. count-1 (at most 25), each channel level 10 * (index + 1), which tells them apart.
void appendRows(int count)
{
    for (int i = 0; i < count; ++i)
        appendRow(static_cast<quint16>(i), static_cast<quint16>(i + 1),
                  static_cast<quint16>(10 * (i + 1)));
}

QList<int> ids()
{
    QList<int> result;
    const stepTable &rows = coreModel()->steps();
    for (int r = 0; r < rows.size(); ++r)
        result << rows.level(r, 0) / 10 - 1;
    return result;
}

QList<int> rangeIds(int from, int to)
{
    QList<int> result;
    for (int i = from; i <= to; ++i)
        result << i;
    return result;
}

// Every operation must leave the shared positions on rows that exist.
bool positionsInTable()
{
    const dimList *m = coreModel();
    const int rows = m->steps().size();
    if (rows == 0)
        return g_currentRow == -1;
    return g_currentRow >= -1 && g_currentRow < rows && m->playStart() >= 0 &&
           m->playStart() < rows && m->playEnd() >= 0 && m->playEnd() < rows;
}
} // namespace

void tst_dimlist_editing::insertRowsNumbersAndCopies()
{
    dimList *m = coreModel();
    appendRows(5);
    g_dimValue[0] = 77;
    g_dimValue[511] = 5;
    QSignalSpy inserted(m, &QAbstractItemModel::rowsInserted);
    QVERIFY(m->insertRows(2, 3));
    QCOMPARE(ids(), (QList<int>{0, 1, 6, 6, 6, 2, 3, 4})); // 6: level 77 of the faders
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 2);
    QCOMPARE(inserted.first().at(2).toInt(), 4);
    for (int r = 2; r <= 4; ++r) {
        const StepRow row = m->steps().row(r);
        QCOMPARE(row.size(), 515);
        QCOMPARE(int(row.at(1)), 1); // speed and fade of row 1
        QCOMPARE(int(row.at(2)), 2);
        QCOMPARE(int(row.at(3)), 77);
        QCOMPARE(int(row.at(4)), 0);
        QCOMPARE(int(row.at(514)), 5);
    }
}

void tst_dimlist_editing::insertRowsRefused_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("result");

    QTest::newRow("position below 0") << -1 << 1 << false;
    QTest::newRow("position past the end") << 6 << 1 << false;
    QTest::newRow("negative count") << 2 << -1 << false;
    QTest::newRow("count 0") << 2 << 0 << true;
}

void tst_dimlist_editing::insertRowsRefused()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(bool, result);
    dimList *m = coreModel();
    appendRows(5);
    QSignalSpy inserting(m, &QAbstractItemModel::rowsAboutToBeInserted);
    QCOMPARE(m->insertRows(row, count), result);
    QCOMPARE(ids(), rangeIds(0, 4));
    QCOMPARE(inserting.count(), 0);
    QVERIFY(!m->insertRows(0, 1, m->index(0, 0))); // a table has no children
}

void tst_dimlist_editing::insertEndRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("fade");

    QTest::newRow("empty table") << 0 << 0 << 90;
    QTest::newRow("after speed 4 fade 5") << 5 << 4 << 5;
}

void tst_dimlist_editing::insertEndRows()
{
    QFETCH(int, rows);
    QFETCH(int, speed);
    QFETCH(int, fade);
    dimList *m = coreModel();
    appendRows(rows);
    g_dimValue[3] = 33;
    g_currentRow = rows - 1;
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("StartInsertRows: %1").arg(rows)));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QString("EndInsertRows: %1").arg(rows + 1)));
    m->insertEndRows();
    QCOMPARE(m->rowCount(), rows + 1);
    const StepRow row = m->steps().row(m->steps().size() - 1);
    QCOMPARE(int(row.at(0)), rows);
    QCOMPARE(int(row.at(1)), speed);
    QCOMPARE(int(row.at(2)), fade);
    QCOMPARE(int(row.at(6)), 33);
    QCOMPARE(g_currentRow, rows - 1);
    QVERIFY(positionsInTable());
}

void tst_dimlist_editing::insertCurrRows_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("position"); // where the new row lands
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<int>("endAfter");

    // The new step becomes the current row: fader moves go into it.
    QTest::newRow("end on the current row") << 3 << 3 << 4 << 4 << 4;
    QTest::newRow("end after the current row") << 3 << 5 << 4 << 4 << 6;
    QTest::newRow("end before the current row") << 3 << 2 << 4 << 4 << 2;
    QTest::newRow("no current row") << -1 << 2 << 0 << 0 << 3;
    QTest::newRow("current past the table") << 9 << 5 << 6 << 6 << 6;
    QTest::newRow("end never chosen") << -1 << -1 << 0 << 0 << 0;
}

void tst_dimlist_editing::insertCurrRows()
{
    QFETCH(int, current);
    QFETCH(int, end);
    QFETCH(int, position);
    QFETCH(int, currentAfter);
    QFETCH(int, endAfter);
    dimList *m = coreModel();
    appendRows(6);
    g_currentRow = current;
    m->setPlayRange(1, end);
    // The window has heard of the positions set by hand.
    m->settle(false);
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    QSignalSpy rangeSpy(m, &dimList::playRangeChanged);
    m->insertCurrRows();
    QCOMPARE(rowSpy.count(), 1);
    QCOMPARE(rowSpy.first().at(0).toInt(), currentAfter);
    QCOMPARE(rangeSpy.count(), endAfter != end ? 1 : 0);
    QCOMPARE(m->rowCount(), 7);
    QCOMPARE(int(m->steps().cell(position, 0)), position);
    const int speed = position > 0 ? position - 1 : 0;
    const int fade = position > 0 ? position : 90;
    QCOMPARE(int(m->steps().cell(position, 1)), speed);
    QCOMPARE(int(m->steps().cell(position, 2)), fade);
    QCOMPARE(g_currentRow, currentAfter);
    QCOMPARE(m->playEnd(), endAfter);
    QCOMPARE(m->playStart(), 1);
}

void tst_dimlist_editing::removeRowsClipsToTable_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QList<int>>("left");

    QTest::newRow("middle") << 1 << 2 << true << QList<int>{0, 3, 4};
    QTest::newRow("runs past the end") << 3 << 10 << true << QList<int>{0, 1, 2};
    QTest::newRow("starts before 0") << -2 << 3 << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("wholly outside") << 5 << 2 << false << rangeIds(0, 4);
    QTest::newRow("count 0") << 1 << 0 << false << rangeIds(0, 4);
    QTest::newRow("negative count") << 1 << -3 << false << rangeIds(0, 4);
}

void tst_dimlist_editing::removeRowsClipsToTable()
{
    QFETCH(int, row);
    QFETCH(int, count);
    QFETCH(bool, result);
    QFETCH(QList<int>, left);
    dimList *m = coreModel();
    appendRows(5);
    g_currentRow = 4;
    m->setPlayEnd(4);
    rowTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy removed(m, &QAbstractItemModel::rowsRemoved);
    QCOMPARE(m->removeRows(row, count), result);
    QCOMPARE(ids(), left);
    QCOMPARE(removed.count(), result ? 1 : 0);
    QVERIFY(positionsInTable());
}

void tst_dimlist_editing::removeSelectRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<QList<int>>("left");
    QTest::addColumn<int>("collapse"); // range ends afterwards
    QTest::addColumn<int>("current");

    const QList<int> all = rangeIds(0, 9);
    QTest::newRow("3..6") << 10 << 3 << 6 << (QList<int>{0, 1, 2, 7, 8, 9}) << 2 << 2;
    QTest::newRow("0..4") << 10 << 0 << 4 << rangeIds(5, 9) << 0 << 0;
    QTest::newRow("backwards 6..3") << 10 << 6 << 3 << (QList<int>{0, 1, 2, 7, 8, 9}) << 2 << 2;
    QTest::newRow("backwards to the end") << 10 << 9 << 7 << rangeIds(0, 6) << 6 << 6;
    QTest::newRow("end never chosen") << 5 << 0 << -1 << rangeIds(1, 4) << 0 << 0;
    QTest::newRow("end past the table") << 10 << 8 << 15 << rangeIds(0, 7) << 7 << 7;
    QTest::newRow("wholly past the table") << 10 << 12 << 15 << all << 9 << 9;
    QTest::newRow("whole table") << 10 << 0 << 9 << QList<int>{} << 0 << -1;
    QTest::newRow("empty table") << 0 << 3 << 6 << QList<int>{} << 0 << -1;
}

void tst_dimlist_editing::removeSelectRows()
{
    QFETCH(int, rows);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(QList<int>, left);
    QFETCH(int, collapse);
    QFETCH(int, current);
    dimList *m = coreModel();
    appendRows(rows);
    m->setPlayRange(start, end);
    g_currentRow = rows > 0 ? 1 : -1;
    m->settle(false);
    g_dimValue[0] = 42;
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    m->removeSelectRows();
    QCOMPARE(ids(), left);
    QCOMPARE(m->playStart(), collapse);
    QCOMPARE(m->playEnd(), collapse);
    QCOMPARE(g_currentRow, current);
    // The window is told where the current row and the range went.
    QCOMPARE(rowSpy.count(), current != (rows > 0 ? 1 : -1) ? 1 : 0);
    // The faders show the edit row; without one they keep their levels.
    QCOMPARE(int(g_dimValue[0]), current >= 0 ? int(m->steps().cell(current, 3)) : 42);
}

void tst_dimlist_editing::removeCurrRows_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("end");
    QTest::addColumn<QList<int>>("left");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<int>("endAfter");

    QTest::newRow("last of 4") << 3 << 3 << (QList<int>{0, 1, 2}) << 2 << 2;
    QTest::newRow("middle, end at the last") << 1 << 3 << (QList<int>{0, 2, 3}) << 1 << 2;
    QTest::newRow("middle, end before") << 2 << 1 << (QList<int>{0, 1, 3}) << 2 << 1;
    QTest::newRow("no current row") << -1 << 3 << rangeIds(0, 3) << -1 << 3;
}

void tst_dimlist_editing::removeCurrRows()
{
    QFETCH(int, current);
    QFETCH(int, end);
    QFETCH(QList<int>, left);
    QFETCH(int, currentAfter);
    QFETCH(int, endAfter);
    dimList *m = coreModel();
    appendRows(4);
    g_currentRow = current;
    m->setPlayEnd(end);
    m->settle(false);
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    m->removeCurrRows();
    QCOMPARE(ids(), left);
    QCOMPARE(g_currentRow, currentAfter);
    QCOMPARE(m->playEnd(), endAfter);
    // Told once when the row moved, not at all when it stayed.
    QCOMPARE(rowSpy.count(), currentAfter != current ? 1 : 0);
    QCOMPARE(m->currentRow(), currentAfter);
    // The new current row is loaded into the faders.
    QCOMPARE(int(g_dimValue[0]), currentAfter >= 0 ? 10 * (left.at(currentAfter) + 1) : 0);
}

void tst_dimlist_editing::removeEndRows()
{
    dimList *m = coreModel();
    m->removeEndRows();
    QCOMPARE(g_currentRow, -1);
    QCOMPARE(m->playEnd(), -1);
    appendRows(4);
    g_currentRow = 3;
    m->setPlayEnd(3);
    m->removeEndRows();
    QCOMPARE(ids(), rangeIds(0, 2));
    QCOMPARE(g_currentRow, 2);
    QCOMPARE(m->playEnd(), 2);
    g_currentRow = 0;
    m->setPlayEnd(1);
    m->removeEndRows();
    QCOMPARE(g_currentRow, 0);
    QCOMPARE(m->playEnd(), 1);
    m->removeEndRows();
    m->removeEndRows();
    QCOMPARE(m->rowCount(), 0);
    QCOMPARE(g_currentRow, -1);
}

void tst_dimlist_editing::removeAll_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("rows") << 5;
    QTest::newRow("empty") << 0;
}

void tst_dimlist_editing::removeAll()
{
    QFETCH(int, rows);
    dimList *m = coreModel();
    appendRows(rows);
    g_currentRow = rows - 1;
    m->setPlayRange(3, 4);
    QSignalSpy removed(m, &QAbstractItemModel::rowsRemoved);
    m->removeAll();
    QCOMPARE(m->rowCount(), 0);
    QCOMPARE(removed.count(), rows > 0 ? 1 : 0);
    QCOMPARE(g_currentRow, -1);
    QCOMPARE(m->playEnd(), 0);
    QCOMPARE(m->playStart(), 3);
}

void tst_dimlist_editing::moveRows_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("destination");
    QTest::addColumn<QList<int>>("order"); // empty: refused

    QTest::newRow("one up") << 3 << 1 << 2 << QList<int>{0, 1, 3, 2, 4, 5};
    QTest::newRow("one down two places") << 0 << 1 << 3 << QList<int>{1, 2, 0, 3, 4, 5};
    QTest::newRow("block to the top") << 4 << 2 << 0 << QList<int>{4, 5, 0, 1, 2, 3};
    QTest::newRow("block to the end") << 1 << 2 << 6 << QList<int>{0, 3, 4, 5, 1, 2};
    QTest::newRow("onto itself") << 2 << 1 << 2 << QList<int>{};
    QTest::newRow("just after itself") << 2 << 2 << 4 << QList<int>{};
    QTest::newRow("block past the end") << 5 << 2 << 0 << QList<int>{};
    QTest::newRow("destination past the end") << 1 << 1 << 7 << QList<int>{};
    QTest::newRow("negative source") << -1 << 1 << 3 << QList<int>{};
    QTest::newRow("count 0") << 1 << 0 << 4 << QList<int>{};
}

void tst_dimlist_editing::moveRows()
{
    QFETCH(int, source);
    QFETCH(int, count);
    QFETCH(int, destination);
    QFETCH(QList<int>, order);
    dimList *m = coreModel();
    appendRows(6);
    rowTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy moved(m, &QAbstractItemModel::rowsMoved);
    const bool ok = m->moveRows(QModelIndex(), source, count, QModelIndex(), destination);
    QCOMPARE(ok, !order.isEmpty());
    QCOMPARE(ids(), order.isEmpty() ? rangeIds(0, 5) : order);
    QCOMPARE(moved.count(), ok ? 1 : 0);
}

void tst_dimlist_editing::moveUpDown_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<int>>("order");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<int>("moveSignals");

    QTest::newRow("up from 2") << true << 2 << QList<int>{0, 2, 1, 3} << 1 << 1;
    QTest::newRow("up at the top") << true << 0 << rangeIds(0, 3) << 0 << 0;
    QTest::newRow("up without a row") << true << -1 << rangeIds(0, 3) << -1 << 0;
    QTest::newRow("down from 1") << false << 1 << QList<int>{0, 2, 1, 3} << 2 << 0;
    QTest::newRow("down at the bottom") << false << 3 << rangeIds(0, 3) << 3 << 0;
    QTest::newRow("down without a row") << false << -1 << rangeIds(0, 3) << -1 << 0;
}

void tst_dimlist_editing::moveUpDown()
{
    QFETCH(bool, up);
    QFETCH(int, current);
    QFETCH(QList<int>, order);
    QFETCH(int, currentAfter);
    QFETCH(int, moveSignals);
    dimList *m = coreModel();
    appendRows(4);
    g_currentRow = current;
    m->setPlayRange(1, 3);
    m->settle(false);
    QSignalSpy moved(m, &QAbstractItemModel::rowsMoved);
    QSignalSpy reset(m, &QAbstractItemModel::modelReset);
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    if (up)
        m->moveUpRows();
    else
        m->moveDownRows();
    QCOMPARE(ids(), order);
    QCOMPARE(g_currentRow, currentAfter);
    QCOMPARE(moved.count(), moveSignals);
    QCOMPARE(reset.count(), 1);
    QCOMPARE(rowSpy.count(), currentAfter != current ? 1 : 0);
    QCOMPARE(m->currentRow(), currentAfter);
    QCOMPARE(m->playStart(), 1);
    QCOMPARE(m->playEnd(), 3);
}

void tst_dimlist_editing::walk_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("currentAfter");

    QTest::newRow("up at row 0") << 4 << true << 0 << 0;
    QTest::newRow("up from 2") << 4 << true << 2 << 1;
    QTest::newRow("down from 2") << 4 << false << 2 << 3;
    QTest::newRow("down at the last") << 4 << false << 3 << 3;
    QTest::newRow("down without a row") << 4 << false << -1 << 0;
    QTest::newRow("up without a row") << 4 << true << -1 << -1;
    QTest::newRow("empty table") << 0 << false << -1 << -1;
}

void tst_dimlist_editing::walk()
{
    QFETCH(int, rows);
    QFETCH(bool, up);
    QFETCH(int, current);
    QFETCH(int, currentAfter);
    dimList *m = coreModel();
    appendRows(rows);
    g_currentRow = current;
    m->setPlayRange(2, m->playRange().end);
    m->settle(false);
    g_dimValue[511] = 1;
    QSignalSpy rowSpy(m, &dimList::currentRowChanged);
    QTest::ignoreMessage(QtDebugMsg,
                         qPrintable(QString("dmxRowToDim():m_currentRow %1").arg(currentAfter)));
    m->dmx_up_down_select_row(up);
    QCOMPARE(g_currentRow, currentAfter);
    QCOMPARE(rowSpy.count(), currentAfter != current ? 1 : 0);
    QCOMPARE(m->currentRow(), currentAfter);
    QCOMPARE(int(g_dimValue[511]), currentAfter >= 0 ? 10 * (currentAfter + 1) : 1);
    QCOMPARE(m->playStart(), 2); // the walk never moves the range
}

void tst_dimlist_editing::setAllDmxSpeedCross()
{
    dimList *m = coreModel();
    appendRows(4);
    QSignalSpy reset(m, &QAbstractItemModel::modelReset);
    m->setAllDmxSpeedCross(5, 20);
    QCOMPARE(reset.count(), 1);
    for (int r = 0; r < m->steps().size(); ++r) {
        QCOMPARE(int(m->steps().speed(r)), 5);
        QCOMPARE(int(m->steps().fade(r)), 20);
    }
    QCOMPARE(ids(), rangeIds(0, 3));
}

void tst_dimlist_editing::editsDuringPlayback_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("current"); // row current after the edit
    QTest::addColumn<int>("target");  // level the next tick fades towards (step 1)

    // Rows 0..5 hold levels 10..60; row 5 is being faded in from row 4's 50.
    QTest::newRow("removeEndRows") << "removeEndRows" << 4 << 50;
    QTest::newRow("removeCurrRows") << "removeCurrRows" << 4 << 50;
    QTest::newRow("removeRows before") << "removeRows" << 4 << 60;
    QTest::newRow("moveUpRows") << "moveUpRows" << 4 << 60;
    QTest::newRow("removeSelectRows") << "removeSelectRows" << 3 << 40;
    QTest::newRow("insertCurrRows") << "insertCurrRows" << 5 << 60;
}

void tst_dimlist_editing::editsDuringPlayback()
{
    QFETCH(QString, edit);
    QFETCH(int, current);
    QFETCH(int, target);
    dimList *m = coreModel();
    // Row 4, where playback starts, is over in two ticks; the others fade for 300.
    for (int r = 0; r < 6; ++r)
        appendRow(r == 4 ? 0 : 1, r == 4 ? 1 : 100, static_cast<quint16>(10 * (r + 1)));
    m->dmxRowToDim(4);
    m->setPlayerEndRow(5);
    m->sendDmxEnable(true);
    QVERIFY(runTicks(3)); // enters row 4, then loads row 5, fades from 50 towards 60
    QCOMPARE(g_currentRow, 5);
    QVERIFY(!g_advanceRow);
    if (edit == "removeEndRows")
        m->removeEndRows();
    else if (edit == "removeCurrRows")
        m->removeCurrRows();
    else if (edit == "removeRows")
        m->removeRows(0, 1);
    else if (edit == "moveUpRows")
        m->moveUpRows();
    else if (edit == "removeSelectRows")
        m->removeSelectRows();
    else if (edit == "insertCurrRows")
        m->insertCurrRows();
    QVERIFY(positionsInTable());
    QCOMPARE(g_currentRow, current);
    const int before = g_dimValue[0];
    QVERIFY(runTicks(1));
    QVERIFY(g_currentRow >= 0 && g_currentRow < m->rowCount());
    const int after = g_dimValue[0];
    if (after != before) // moved: towards the row now current
        QVERIFY(qAbs(target - after) < qAbs(target - before));
    QCOMPARE(int(m->steps().cell(g_currentRow, 3)), target);
    QVERIFY(runTicks(700));
    QVERIFY(g_playEnable);
    m->sendDmxEnable(false);
}

void tst_dimlist_editing::modelTester()
{
    dimList *m = coreModel();
    rowTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m->insertEndRows();
    m->insertEndRows();
    m->insertRows(1, 3);
    g_currentRow = 2;
    m->insertCurrRows();
    m->moveUpRows();
    m->moveDownRows();
    m->moveRows(QModelIndex(), 0, 2, QModelIndex(), 5);
    m->removeRows(4, 10);
    m->removeRows(-1, 0);
    m->setPlayRange(3, 1);
    m->removeSelectRows();
    m->removeCurrRows();
    m->removeEndRows();
    m->setAllDmxSpeedCross(2, 3);
    m->dmx_up_down_select_row(false);
    m->refrushIndex();
    m->removeAll();
    m->removeEndRows();
    m->removeCurrRows();
    m->removeSelectRows();
    m->insertCurrRows();
    QCOMPARE(m->rowCount(), 1);
    QVERIFY(positionsInTable());
}

QTEST_GUILESS_MAIN(tst_dimlist_editing)
#include "tst_dimlist_editing.moc"

void tst_dimlist_editing::statusBelongsToItsAction_data()
{
    QTest::addColumn<int>("action");
    QTest::newRow("cell edit") << 0;
    QTest::newRow("range pick") << 1;
    QTest::newRow("undo") << 2;
    QTest::newRow("play and stop") << 3;
}

// A message said with an action stays through it; the next action ends it.
void tst_dimlist_editing::statusBelongsToItsAction()
{
    QFETCH(int, action);
    dimList *m = coreModel();
    appendRows(3);
    m->setDmxData(1, 3, 0);
    m->setDmxData(2, 4, 1);
    auto *history = qobject_cast<undoHistory *>(m->history());
    const auto act = [&](int time) {
        if (action == 0)
            m->setDmxData(ushort(50 + time), ushort(5 + time), 2);
        else if (action == 1)
            m->dmxRowToDim(ushort(time));
        else if (action == 2)
            QVERIFY(history->undo());
        else
            m->sendDmxEnable(time == 0);
    };
    act(0);
    m->setStatusMessage(QStringLiteral("said"));
    QCoreApplication::processEvents();
    QCOMPARE(m->statusMessage(), QStringLiteral("said"));
    m->setStatusMessage(QStringLiteral("said again"));
    QCoreApplication::processEvents();
    act(1);
    QCOMPARE(m->statusMessage(), QString());
}
