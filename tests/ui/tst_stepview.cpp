#include "stepview.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

// The table view's model of the step table: how much of a change reaches the view at once.
class tst_stepview : public QObject
{
    Q_OBJECT

  private slots:
    void manyCellsChangedOnlyForMany_data();
    void manyCellsChangedOnlyForMany();
};

void tst_stepview::manyCellsChangedOnlyForMany_data()
{
    QTest::addColumn<int>("firstRow");
    QTest::addColumn<int>("lastRow");
    QTest::addColumn<int>("firstShown");
    QTest::addColumn<int>("lastShown");
    QTest::addColumn<bool>("many");
    QTest::newRow("one row of 40 channels") << 5 << 5 << 0 << 39 << false;
    QTest::newRow("two rows of 40 channels") << 5 << 6 << 0 << 39 << false;
    QTest::newRow("three rows of 40 channels") << 5 << 7 << 0 << 39 << true;
    QTest::newRow("fifty rows of two columns shown") << 0 << 49 << 3 << 4 << true;
    QTest::newRow("forty rows of two columns shown") << 0 << 39 << 3 << 4 << false;
}

void tst_stepview::manyCellsChangedOnlyForMany()
{
    QFETCH(int, firstRow);
    QFETCH(int, lastRow);
    QFETCH(int, firstShown);
    QFETCH(int, lastShown);
    QFETCH(bool, many);
    QStandardItemModel steps(200, 60);
    stepView view;
    QAbstractItemModelTester tester(&view);
    view.setSource(&steps);
    view.setColumns(60);
    view.setProperty("firstShown", firstShown);
    view.setProperty("lastShown", lastShown);
    QSignalSpy manySpy(&view, &stepView::manyCellsChanged);
    QSignalSpy cellsSpy(&view, &QAbstractItemModel::dataChanged);
    emit steps.dataChanged(steps.index(firstRow, 0), steps.index(lastRow, 59));
    QCOMPARE(cellsSpy.count(), 1);
    QCOMPARE(manySpy.count(), many ? 1 : 0);
}

QTEST_GUILESS_MAIN(tst_stepview)
#include "tst_stepview.moc"
