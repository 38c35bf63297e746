#include "patchcases.h"

#include <QtTest>

class tst_light_list : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void startUpList();
    void packing_data();
    void packing();
    void fixSelectStoresAFlag();
    void tableFixturesFormThePatch_data();
    void tableFixturesFormThePatch();
};

void tst_light_list::startUpList()
{
    light_list *list = coreModel()->output()->patch();
    QCOMPARE(list->size(), 6);
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(fixture(i)->id(), i);
        QCOMPARE(fixture(i)->fixChannels(), 18);
        QCOMPARE(int(fixture(i)->fixSelect()), 1);
    }
}

void tst_light_list::packing_data()
{
    addPatchCases();
}

void tst_light_list::packing()
{
    QFETCH(QList<int>, fixtures);
    QFETCH(QList<int>, off);
    QFETCH(QList<int>, sent);
    applyPatchCase(fixtures, off);
    light_list *list = coreModel()->output()->patch();
    // Two passes: the walk must restart cleanly at channel 0.
    for (int pass = 0; pass < 2; ++pass) {
        for (int c = 0; c < 512; ++c) {
            const bool mapped = list->mapChannel(c);
            QCOMPARE(mapped, sent.contains(c));
            if (mapped)
                QCOMPARE(list->mappedSlot(), sent.indexOf(c));
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
    // Each change is announced, for the fixture list; the same flag again is none.
    QCOMPARE(spy.count(), 2);
    QTest::ignoreMessage(QtDebugMsg, "light_fix:select true id: 3 num: 18");
    f->setProperty("fixSelect", 1);
    QCOMPARE(spy.count(), 2);
}

void tst_light_list::tableFixturesFormThePatch_data()
{
    QTest::addColumn<QList<int>>("fixtures");
    QTest::addColumn<QList<int>>("sizes"); // channel count of each entry afterwards
    QTest::addColumn<int>("announced");
    using L = QList<int>;
    QTest::newRow("adds replace the start-up patch") << L{33, 12} << L{33, 12} << 2;
    QTest::newRow("delete drops the last") << L{33, 12, -1} << L{33} << 3;
    QTest::newRow("none left: start-up again") << L{33, -1} << L{18, 18, 18, 18, 18, 18} << 2;
    QTest::newRow("delete without fixtures") << L{-1} << L{18, 18, 18, 18, 18, 18} << 0;
    QTest::newRow("no channels refused") << L{0, 5} << L{5} << 1;
}

void tst_light_list::tableFixturesFormThePatch()
{
    QFETCH(QList<int>, fixtures);
    QFETCH(QList<int>, sizes);
    QFETCH(int, announced);
    light_list *list = coreModel()->output()->patch();
    fixture(2)->setSelectUnannounced(false);
    QSignalSpy spy(list, &light_list::fixturesChanged);
    applyPatchCase(fixtures, {});
    QCOMPARE(spy.count(), announced);
    QCOMPARE(list->size(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QCOMPARE(fixture(i)->fixChannels(), sizes.at(i));
        QCOMPARE(fixture(i)->id(), i);
        QCOMPARE(int(fixture(i)->fixSelect()), announced ? 1 : i != 2);
    }
}

QTEST_GUILESS_MAIN(tst_light_list)
#include "tst_light_list.moc"
