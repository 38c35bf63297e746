#include "coretestsupport.h"
#include "effectfill.h"
#include "fixturelist.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{
effectFill *effects()
{
    return coreModel()->effects();
}

undoHistory *history()
{
    return coreModel()->changeHistory();
}

// Every stored byte of the table: timing, the stored width and each row's levels.
QByteArray storage(const stepTable &table)
{
    QByteArray out = QByteArray::number(table.channels()) + ':';
    for (int r = 0; r < table.size(); ++r) {
        const StepRow cells = table.row(r, stepTable::kFixedCells + table.channels());
        out.append(reinterpret_cast<const char *>(cells.constData() + 1),
                   int(sizeof(quint16)) * (cells.size() - 1));
    }
    return out;
}

QVariantMap ramp(const QVariantList &columns, int a, int b)
{
    return {{"shape", "ramp"}, {"a", a}, {"b", b}, {"columns", columns}};
}

void setRange(int start, int end)
{
    coreModel()->setPlayRange(start, end);
}
} // namespace

class tst_effectfill : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void cancelLeavesTheTableAsItWas_data();
    void cancelLeavesTheTableAsItWas();
    void keptFillIsOneUndoStep();
    void previewReachesTheEditRow();
    void undoUnderAPreviewDropsItFirst();
    void clampsEachField_data();
    void clampsEachField();
    void copiesAFixtureBehindAnother();
};

// Eight narrow rows (four channels stored), levels 10 × row, speed row, fade 2 × row.
void tst_effectfill::init()
{
    freshCore();
    const uchar levels[4] = {1, 2, 3, 4};
    for (int r = 0; r < 8; ++r) {
        const uchar row[4] = {uchar(10 * r), levels[1], levels[2], levels[3]};
        coreModel()->stepsForWriting().append(quint16(r), quint16(2 * r), row, 4);
    }
    coreModel()->refrushModel();
    setRange(2, 5);
}

void tst_effectfill::cancelLeavesTheTableAsItWas_data()
{
    QTest::addColumn<QVariantList>("columns");
    QTest::newRow("stored channels") << QVariantList{3, 4};
    QTest::newRow("past the stored width") << QVariantList{3, 200};
    QTest::newRow("speed and fade") << QVariantList{1, 2};
}

void tst_effectfill::cancelLeavesTheTableAsItWas()
{
    QFETCH(QVariantList, columns);
    const QByteArray before = storage(coreModel()->steps());
    const int original = coreModel()->steps().cell(5, columns.first().toInt());
    QSignalSpy changed(effects(), &effectFill::changed);
    QVERIFY(effects()->preview(ramp(columns, 100, 130)));
    QVERIFY(effects()->preview(ramp(columns, 100, 160)));
    QCOMPARE(changed.count(), 2);
    const int column = columns.first().toInt();
    QCOMPARE(int(coreModel()->steps().cell(2, column)), 100);
    QCOMPARE(int(coreModel()->steps().cell(5, column)), 160);
    QVERIFY(effects()->isPreview(5, column));
    QVERIFY(!effects()->isPreview(6, column));
    QCOMPARE(int(coreModel()->steps().cell(6, column)), int(tableRow{6}.at(column)));
    // A preview over another column puts the first one's cells back as they were.
    QVERIFY(effects()->preview(ramp({5}, 7, 7)));
    QCOMPARE(int(coreModel()->steps().cell(5, column)), original);
    QVERIFY(!effects()->isPreview(5, column));
    effects()->cancel();
    QVERIFY(!effects()->pending());
    QCOMPARE(storage(coreModel()->steps()), before);
    QCOMPARE(history()->count(), 0);
}

void tst_effectfill::keptFillIsOneUndoStep()
{
    const QByteArray before = storage(coreModel()->steps());
    QVERIFY(effects()->preview(ramp({3, 4, 5}, 0, 90)));
    QVERIFY(effects()->preview(ramp({3, 4, 5}, 0, 30)));
    effects()->keep();
    QVERIFY(!effects()->pending());
    QCOMPARE(history()->count(), 1);
    const QByteArray kept = storage(coreModel()->steps());
    QCOMPARE(int(coreModel()->steps().cell(3, 4)), 10);
    QVERIFY(history()->undo());
    QCOMPARE(storage(coreModel()->steps()), before);
    QCOMPARE(int(coreModel()->steps().cell(3, 3)), 30);
    QVERIFY(history()->redo());
    QCOMPARE(storage(coreModel()->steps()), kept);
    QVERIFY(kept != before);
}

void tst_effectfill::previewReachesTheEditRow()
{
    g_currentRow = 4;
    QVERIFY(effects()->preview(ramp({3}, 200, 230)));
    QTRY_COMPARE(int(g_dimValue[0]), 220);
    effects()->cancel();
    QTRY_COMPARE(int(g_dimValue[0]), 40);
}

void tst_effectfill::undoUnderAPreviewDropsItFirst()
{
    coreModel()->setDmxData(99, 4, 6);
    QVERIFY(effects()->preview(ramp({4}, 0, 30)));
    QVERIFY(history()->undo());
    QVERIFY(!effects()->pending());
    QCOMPARE(int(coreModel()->steps().cell(6, 4)), 2);
    QCOMPARE(int(coreModel()->steps().cell(3, 4)), 2);
    QVERIFY(history()->redo());
    QCOMPARE(int(coreModel()->steps().cell(6, 4)), 99);
}

void tst_effectfill::clampsEachField_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("clamped");
    QTest::newRow("speed to its cap") << 1 << 20000 << 9999 << true;
    QTest::newRow("speed within") << 1 << 9000 << 9000 << false;
    QTest::newRow("fade") << 2 << 300 << 255 << true;
    QTest::newRow("level") << 3 << 256 << 255 << true;
}

void tst_effectfill::clampsEachField()
{
    QFETCH(int, column);
    QFETCH(int, b);
    QFETCH(int, last);
    QFETCH(bool, clamped);
    QVERIFY(effects()->preview(ramp({column}, 0, b)));
    QCOMPARE(int(coreModel()->steps().cell(5, column)), last);
    QCOMPARE(effects()->clamped(), clamped);
}

void tst_effectfill::copiesAFixtureBehindAnother()
{
    fixtureList *list = coreModel()->fixtures();
    QVERIFY(list->add(12));
    QVERIFY(list->add(12));
    QVERIFY(list->add(12));
    const int width = list->channelCounts().first().toInt();
    QCOMPARE(effects()->sameKind(0), (QVariantList{1, 2}));
    QCOMPARE(effects()->sameChannel(3 + width + 1), (QVariantList{4, 4 + width, 4 + 2 * width}));
    QCOMPARE(effects()->fixtureAt(3 + width), 1);
    const int outside = coreModel()->steps().cell(6, 3 + width);
    const int was = coreModel()->steps().cell(3, 3 + width);
    const int steps = history()->count();
    QVERIFY(effects()->copyFixture(0, {1, 2}, 1));
    QCOMPARE(history()->count(), steps + 1);
    // Range 2..5: fixture 2 reads one step behind, fixture 3 two, wrapping in the range.
    QCOMPARE(int(coreModel()->steps().cell(3, 3 + width)), 20);
    QCOMPARE(int(coreModel()->steps().cell(2, 3 + width)), 50);
    QCOMPARE(int(coreModel()->steps().cell(2, 3 + 2 * width)), 40);
    QCOMPARE(int(coreModel()->steps().cell(6, 3 + width)), outside);
    QVERIFY(history()->undo());
    QCOMPARE(int(coreModel()->steps().cell(3, 3 + width)), was);
}

QTEST_GUILESS_MAIN(tst_effectfill)
#include "tst_effectfill.moc"
