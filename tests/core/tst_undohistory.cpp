#include "coretestsupport.h"

#include <QSignalSpy>
#include <QtTest>

#include <functional>

namespace
{
// The table without step numbers, which every undo renumbers.
QList<QVector<quint16>> table()
{
    QList<QVector<quint16>> out;
    for (const StepRow *row : qAsConst(coreModel()->m_data))
        out << row->mid(1);
    return out;
}

undoHistory *history()
{
    return coreModel()->m_history;
}

using Edit = std::function<void()>;
} // namespace

Q_DECLARE_METATYPE(Edit)

class tst_undohistory : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void undoRedo_data();
    void undoRedo();
    void dragIsOneStep();
    void boundedOnLargeTable();
};

void tst_undohistory::init()
{
    resetCore();
    for (int r = 0; r < 6; ++r)
        appendRow(quint16(r), quint16(10 + r), quint16(20 * r));
    g_currentRow = 2;
}

void tst_undohistory::undoRedo_data()
{
    QTest::addColumn<Edit>("edit");
    // The window tests undo each kind of change the user makes; these are the rest.
    dimList *m = coreModel();
    QTest::newRow("linked fan-out") << Edit([m] {
        channel(1)->m_linkage = 1;
        channel(5)->m_linkage = 1;
        m->setDmxData(77, 8, 1);
    });
    QTest::newRow("value shortcut as one step") << Edit([m] {
        history()->beginStep();
        m->m_dmx->setAllDmxValue(200);
        history()->endStep();
    });
    QTest::newRow("move down") << Edit([m] { m->moveDownRows(); });
    QTest::newRow("remove all") << Edit([m] { m->removeAll(); });
}

void tst_undohistory::undoRedo()
{
    QFETCH(Edit, edit);
    const auto before = table();
    QSignalSpy clean(history(), &undoHistory::cleanChanged);
    edit();
    const auto after = table();
    QVERIFY(after != before);
    QCOMPARE(history()->count(), 1);
    QVERIFY(!history()->isClean());

    QVERIFY(history()->undo());
    QCOMPARE(table(), before);
    QVERIFY(history()->isClean());
    QVERIFY(history()->redo());
    QCOMPARE(table(), after);
    QVERIFY(history()->undo());
    QCOMPARE(table(), before);
    QCOMPARE(clean.count(), 4);
}

void tst_undohistory::dragIsOneStep()
{
    for (int v = 1; v <= 50; ++v)
        channel(3)->setDimValue(uchar(v), true, false);
    QCOMPARE(history()->count(), 1);
    QCOMPARE(int(coreModel()->m_data.at(2)->at(6)), 50);
    QVERIFY(history()->undo());
    QCOMPARE(int(coreModel()->m_data.at(2)->at(6)), 40);
    QCOMPARE(int(g_dimValue[3]), 40); // the fader follows its row
}

// Steps beyond the limit go; a cell edit keeps its cells only, not the table.
void tst_undohistory::boundedOnLargeTable()
{
    for (int r = 0; r < 10000; ++r)
        appendRow(1, 1, 0);
    for (int i = 0; i < undoHistory::kStepLimit + 50; ++i)
        coreModel()->setDmxData(quint16(i % 256), quint16(3 + i % 500), quint16(i));
    QCOMPARE(history()->count(), undoHistory::kStepLimit);
    for (int i = 0; i < undoHistory::kStepLimit; ++i)
        QVERIFY(history()->undo());
    QVERIFY(!history()->undo());
    QCOMPARE(int(coreModel()->m_data.at(60)->at(63)), 0);
    QCOMPARE(int(coreModel()->m_data.at(10)->at(13)), 10); // older than the limit: kept
}

QTEST_GUILESS_MAIN(tst_undohistory)
#include "tst_undohistory.moc"
