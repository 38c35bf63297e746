#include "coretestsupport.h"

#include <QtTest>

class tst_light_list : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetCore(); }
    void startUpList();
    void packing_data();
    void packing();
    void fixSelectStoresAFlag();
    void lightFixCallsChangeNothing();
};

void tst_light_list::startUpList()
{
    light_list *list = coreModel()->m_dmx->m_lightList;
    QCOMPARE(list->size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(fixture(i)->m_id, i);
        QCOMPARE(fixture(i)->m_chNum, 18);
        QCOMPARE(int(fixture(i)->fixSelect()), 1);
    }
}

void tst_light_list::packing_data()
{
    QTest::addColumn<QList<int>>("off");
    QTest::addColumn<QVector<int>>("expected"); // slot per channel 0..511, -1 = not sent

    auto patch = [](std::initializer_list<std::pair<int, int>> spans) {
        QVector<int> v(512, -1);
        for (auto [from, slot] : spans)
            for (int i = 0; i < 18; ++i)
                v[from + i] = slot + i;
        return v;
    };
    QTest::newRow("all on") << QList<int>{}
                            << patch({{0, 0}, {18, 18}, {36, 36}, {54, 54}, {72, 72}, {90, 90}});
    QTest::newRow("fixture 1 off")
        << QList<int>{1} << patch({{0, 0}, {36, 18}, {54, 36}, {72, 54}, {90, 72}});
    QTest::newRow("fixtures 2 and 4 off")
        << QList<int>{2, 4} << patch({{0, 0}, {18, 18}, {54, 36}, {90, 54}});
    QTest::newRow("all off") << QList<int>{0, 1, 2, 3, 4, 5} << QVector<int>(512, -1);
}

void tst_light_list::packing()
{
    QFETCH(QList<int>, off);
    QFETCH(QVector<int>, expected);
    for (int f : off)
        fixture(f)->m_select = 0;
    light_list *list = coreModel()->m_dmx->m_lightList;
    // Two passes: the walk must restart cleanly at channel 0.
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < 512; ++c) {
            const bool mapped = list->mapChannel(c);
            QCOMPARE(mapped, expected[c] >= 0);
            if (mapped)
                QCOMPARE(list->m_mapSlot, expected[c]);
        }
    }
}

void tst_light_list::fixSelectStoresAFlag()
{
    light_fix *f = fixture(3);
    QSignalSpy spy(f, &light_fix::fixSelectChanged);
    QTest::ignoreMessage(QtDebugMsg, "light_fix:select false id: 3 num: 18");
    f->setProperty("fixSelect", 0);
    QCOMPARE(int(f->fixSelect()), 0);
    QTest::ignoreMessage(QtDebugMsg, "light_fix:select true id: 3 num: 18");
    f->setProperty("fixSelect", 2);
    QCOMPARE(int(f->fixSelect()), 1);
    QCOMPARE(spy.count(), 0);
}

void tst_light_list::lightFixCallsChangeNothing()
{
    dimList *m = coreModel();
    m->add_light_fix(0, 33);
    m->add_light_fix(1, 12);
    m->delete_light_fix(1);
    m->currId_light_fix();
    QCOMPARE(m->m_dmx->m_lightList->size(), 6);
    QCOMPARE(fixture(1)->m_chNum, 18);
}

QTEST_GUILESS_MAIN(tst_light_list)
#include "tst_light_list.moc"
