#include "coretestsupport.h"
#include "fixturelist.h"
#include "undohistory.h"

#include <QtTest>

namespace
{
fixtureList *fixtures()
{
    return coreModel()->fixtures();
}

fixtureDef::capability range(int min, int max, const char *name, bool stepped)
{
    fixtureDef::capability capability;
    capability.min = min;
    capability.max = max;
    capability.name = QString::fromLatin1(name);
    capability.stepped = stepped;
    return capability;
}

fixtureDef::channel channelOf(const char *name, QVector<fixtureDef::capability> ranges,
                              bool fine = false)
{
    fixtureDef::channel channel;
    channel.name = QString::fromLatin1(name);
    channel.capabilities = std::move(ranges);
    channel.fine = fine;
    return channel;
}

// A laser of four channels: mode (jumps), zoom (fades), shutter (jumps), zoom fine.
fixtureDef::definition laser()
{
    fixtureDef::definition def;
    def.manufacturer = QStringLiteral("Maker");
    def.model = QStringLiteral("Beam");
    def.channels = {
        channelOf("Mode", {range(0, 9, "Laser off", true), range(10, 255, "DMX", true)}),
        channelOf("Zoom", {range(0, 255, "Small to large", false)}),
        channelOf("Shutter", {range(0, 7, "Strobe off", true), range(8, 15, "Shutter closed", true),
                              range(16, 255, "Strobe", false)}),
        channelOf("Zoom fine", {}, true)};
    fixtureDef::mode used;
    used.name = QStringLiteral("4ch");
    used.channels = {0, 1, 2, 3};
    def.modes = {used};
    return def;
}

QStringList channelTitles()
{
    QStringList titles;
    const QVariantList columns = fixtures()->columns();
    for (int i = fixtureList::kFixedColumns; i < columns.size(); ++i)
        titles << columns.at(i).toMap().value(QStringLiteral("title")).toString();
    return titles;
}
} // namespace

class tst_fixturelist : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void definitionIsOneUndoableFixture();
    void restoreKeepsTheFileFlags();
    void namesAndOffLevels();
};

void tst_fixturelist::definitionIsOneUndoableFixture()
{
    QVERIFY(fixtures()->add(12));
    QVERIFY(fixtures()->addDefinition(laser()));
    QCOMPARE(fixtures()->count(), 2);
    QCOMPARE(fixtures()->channelCounts(), (QVariantList{5, 4}));
    QCOMPARE(channelTitles().mid(5),
             (QStringList{"Mode\n6", "Zoom\n7", "Shutter\n8", "Zoom\nfine\n9"}));
    QCOMPARE(fixture(1)->property("fixType").toString(), QStringLiteral("Maker Beam (4ch)"));
    QCOMPARE(flags(9), (QList<int>{0, 0, 0, 0, 0, 1, 0, 1, 0}));
    QCOMPARE(coreModel()->changeHistory()->count(), 2);

    QVERIFY(coreModel()->changeHistory()->undo());
    QCOMPARE(fixtures()->count(), 1);
    QCOMPARE(flags(9), (QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    QVERIFY(coreModel()->changeHistory()->redo());
    QCOMPARE(fixtures()->channelCounts(), (QVariantList{5, 4}));
    QCOMPARE(flags(9), (QList<int>{0, 0, 0, 0, 0, 1, 0, 1, 0}));

    // Removing and undoing brings the definition back, not a built-in type.
    QVERIFY(fixtures()->removeLast());
    QVERIFY(coreModel()->changeHistory()->undo());
    QCOMPARE(channelTitles().value(5), QStringLiteral("Mode\n6"));
}

void tst_fixturelist::restoreKeepsTheFileFlags()
{
    channel(0)->setDimEn(false);
    channel(1)->setDimEn(true);
    const QVariantList kinds{QVariant::fromValue(laser()), 12};
    QCOMPARE(fixtures()->restore(kinds), 2);
    QCOMPARE(flags(3), (QList<int>{0, 1, 0}));
    QCOMPARE(fixtures()->types().value(1).toInt(), 12);
    QCOMPARE(fixtures()->types().value(0).value<fixtureDef::definition>().model,
             QStringLiteral("Beam"));
}

void tst_fixturelist::namesAndOffLevels()
{
    QVERIFY(fixtures()->add(12));
    QVERIFY(fixtures()->addDefinition(laser()));
    QCOMPARE(fixtures()->valueName(8, 12), QStringLiteral("Shutter closed"));
    QCOMPARE(fixtures()->valueName(6, 9), QStringLiteral("Laser off"));
    QCOMPARE(fixtures()->valueName(1, 9), QString());
    QCOMPARE(fixtures()->capabilities(8).size(), 3);
    QVERIFY(fixtures()->capabilities(10).isEmpty());
    QCOMPARE(fixtures()->offLevels(), (QVector<int>{-1, -1, -1, -1, -1, 0, 0, 8, 0}));
}

QTEST_GUILESS_MAIN(tst_fixturelist)

#include "tst_fixturelist.moc"
