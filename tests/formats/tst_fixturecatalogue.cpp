#include "coretestsupport.h"
#include "fixturecatalogue.h"
#include "fixturelibrary.h"
#include "fixturelist.h"

#include <QtTest>

namespace
{
// The built-in types as the program has always served them: one line per type in number
// order, the name and then the titles, tab-separated, line breaks as \n.
QVector<QStringList> golden()
{
    QFile file(QStringLiteral(":/golden/fixturetypes.golden"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QVector<QStringList> types;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            types << QString::fromUtf8(line)
                         .replace(QStringLiteral("\\n"), QStringLiteral("\n"))
                         .split(QLatin1Char('\t'));
    return types;
}
} // namespace

class tst_fixturecatalogue : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void builtInTypesAsBefore_data();
    void builtInTypesAsBefore();
};

void tst_fixturecatalogue::builtInTypesAsBefore_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("titles");
    const QVector<QStringList> types = golden();
    QCOMPARE(types.size(), 27);
    QCOMPARE(fixtureCatalogue().count(), types.size());
    for (int number = 0; number < types.size(); ++number)
        QTest::newRow(qPrintable(types.at(number).first()))
            << number << types.at(number).first() << QStringList(types.at(number).mid(1));
}

// Each file read by the library's reader, the catalogue and a table holding the type: the same
// name and titles at the same number, which is what a show records of the fixture.
void tst_fixturecatalogue::builtInTypesAsBefore()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(QStringList, titles);
    const QString file =
        QStringLiteral(":/fixturetypes/type-%1.qxf").arg(number + 1, 2, 10, QLatin1Char('0'));
    const fixtureDef::readResult read = fixtureLibrary::readFile(file);
    QVERIFY2(read.error.isEmpty(), qPrintable(file + QStringLiteral(": ") + read.error));
    QCOMPARE(read.def.model, name);
    QCOMPARE(read.def.modes.size(), 1);
    QStringList inFile;
    for (int index : read.def.modes.constFirst().channels)
        inFile << read.def.channels.at(index).name;
    QCOMPARE(inFile, titles);

    const fixtureCatalogue catalogue;
    QCOMPARE(catalogue.name(number), name);
    QCOMPARE(catalogue.labels(number), titles);
    QCOMPARE(catalogue.channels(number), titles.size());

    fixtureList *table = coreModel()->fixtures();
    QVERIFY(table->add(number));
    QCOMPARE(table->types(), QVariantList{number});
    // A column is titled with the channel's title over its number.
    QStringList shown, expected;
    const QVariantList columns = table->columns();
    for (int i = fixtureList::kFixedColumns; i < columns.size(); ++i)
        shown << columns.at(i).toMap().value(QStringLiteral("title")).toString();
    for (int i = 0; i < titles.size(); ++i)
        expected << titles.at(i) + QLatin1Char('\n') + QString::number(i + 1);
    QCOMPARE(shown, expected);
}

QTEST_MAIN(tst_fixturecatalogue)
#include "tst_fixturecatalogue.moc"
