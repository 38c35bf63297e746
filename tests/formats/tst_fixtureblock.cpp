#include "dmxformat.h"
#include "fixtureblock.h"

#include <QBuffer>
#include <QtTest>

namespace
{
fixtureDef::capability range(int min, int max, const char *name, bool stepped)
{
    fixtureDef::capability capability;
    capability.min = min;
    capability.max = max;
    capability.name = QString::fromUtf8(name);
    capability.stepped = stepped;
    return capability;
}

// A placed fixture: one mode over all its channels.
fixtureDef::definition laser(const QString &mode, int patterns)
{
    fixtureDef::definition def;
    def.manufacturer = QStringLiteral("Laserworld");
    def.model = QStringLiteral("CS-1000RGB Mk II");
    def.type = QStringLiteral("Laser");
    fixtureDef::channel modeChannel;
    modeChannel.name = QStringLiteral("Mode");
    modeChannel.kind = QStringLiteral("Maintenance");
    modeChannel.capabilities = {range(0, 49, "Laser off", true), range(50, 255, "DMX", true)};
    fixtureDef::channel pattern;
    pattern.name = QStringLiteral("Patterns «图形»");
    pattern.kind = QStringLiteral("Effect");
    for (int i = 0; i < patterns; ++i)
        pattern.capabilities << range(i, i, "Triangle", true);
    fixtureDef::channel fine;
    fine.name = QStringLiteral("Pan fine");
    fine.fine = true;
    def.channels = {modeChannel, pattern, fine};
    fixtureDef::mode used;
    used.name = mode;
    used.channels = {0, 1, 2};
    def.modes = {used};
    return def;
}

// Everything a block keeps of a definition, as one comparable text.
QString described(const fixtureDef::definition &def)
{
    QStringList parts{def.manufacturer, def.model, def.type, def.modes.value(0).name};
    for (const fixtureDef::channel &channel : def.channels) {
        parts << channel.name + QLatin1Char('/') + channel.kind + (channel.fine ? "/f" : "");
        for (const fixtureDef::capability &c : channel.capabilities)
            parts << QStringLiteral("%1-%2%3 %4")
                         .arg(c.min)
                         .arg(c.max)
                         .arg(c.stepped ? "s" : "")
                         .arg(c.name);
    }
    return parts.join(QLatin1Char('|'));
}
} // namespace

class tst_fixtureblock : public QObject
{
    Q_OBJECT

  private slots:
    void roundTrips_data();
    void roundTrips();
    void builtInKeepsTheOldForm();
    void damagedBlocksKeepNothing();
    void showKeepsDefinitionsAfterTheRows();
};

void tst_fixtureblock::roundTrips_data()
{
    QTest::addColumn<QByteArray>("types");
    QTest::addColumn<int>("definitions");
    const char def = char(fixtureBlock::kDefinitionType);
    QTest::newRow("no fixtures") << QByteArray() << 0;
    QTest::newRow("built-in only") << QByteArray("\x00\x0c\x1a", 3) << 0;
    QTest::newRow("one definition") << QByteArray(1, def) << 1;
    QTest::newRow("mixed") << QByteArray("\x03", 1) + def + "\x05" + def << 2;
}

void tst_fixtureblock::roundTrips()
{
    QFETCH(QByteArray, types);
    QFETCH(int, definitions);
    QVector<fixtureDef::definition> defs;
    for (int i = 0; i < definitions; ++i)
        defs << laser(QStringLiteral("mode %1").arg(i), 3 + i * 250);
    const QByteArray block = fixtureBlock::encode(types, defs);
    QCOMPARE(block.isEmpty(), types.isEmpty());
    QByteArray readTypes;
    QVector<fixtureDef::definition> readDefs;
    QCOMPARE(fixtureBlock::decode(block, readTypes, readDefs), !types.isEmpty());
    QCOMPARE(readTypes, types);
    QCOMPARE(readDefs.size(), definitions);
    for (int i = 0; i < definitions; ++i)
        QCOMPARE(described(readDefs.at(i)), described(defs.at(i)));
}

// Older versions of the program read this form; a show of built-in types stays readable there.
void tst_fixtureblock::builtInKeepsTheOldForm()
{
    const QByteArray block = fixtureBlock::encode(QByteArray("\x01\x02", 2), {});
    QCOMPARE(block.toHex(), QByteArray("46495854555245530000000201"
                                       "02"));
}

void tst_fixtureblock::damagedBlocksKeepNothing()
{
    const QByteArray types = QByteArray("\x02", 1) + char(fixtureBlock::kDefinitionType);
    const QByteArray block = fixtureBlock::encode(types, {laser(QStringLiteral("m"), 4)});
    QByteArray readTypes;
    QVector<fixtureDef::definition> readDefs;
    // Cut anywhere, with the length patched to match, or with a later version.
    for (int size = 0; size < block.size(); ++size) {
        QByteArray cut = block.left(size);
        if (size >= 12)
            qToBigEndian<qint32>(size - 12, cut.data() + 8);
        QVERIFY2(!fixtureBlock::decode(cut, readTypes, readDefs),
                 qPrintable(QString::number(size)));
        QVERIFY(readTypes.isEmpty() && readDefs.isEmpty());
    }
    QByteArray later = block;
    later[12] = char(fixtureBlock::kVersion + 1);
    QVERIFY(!fixtureBlock::decode(later, readTypes, readDefs));
    QVERIFY(readTypes.isEmpty() && readDefs.isEmpty());
}

void tst_fixtureblock::showKeepsDefinitionsAfterTheRows()
{
    StepRow row{0, 10, 2, 200, 20, 0};
    showData show;
    show.flags = QByteArray("\x01\x01\x00", 3);
    show.rows.append(row);
    show.fixtures = QByteArray(1, char(fixtureBlock::kDefinitionType));
    show.definitions = {laser(QStringLiteral("3 channel"), 2)};
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QVERIFY(dmxFormat::write(out, show));
    out.close();
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const dmxFormat::readResult read = dmxFormat::read(in, 6, 0);
    QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
    QVERIFY(!read.fixturesDamaged);
    QCOMPARE(read.show.rows.size(), 1);
    QCOMPARE(read.show.rows.cell(0, 3), quint16(200));
    QCOMPARE(read.show.flags, show.flags);
    QCOMPARE(read.show.fixtures, show.fixtures);
    QCOMPARE(read.show.definitions.size(), 1);
    QCOMPARE(described(read.show.definitions.at(0)), described(show.definitions.at(0)));
}

QTEST_GUILESS_MAIN(tst_fixtureblock)

#include "tst_fixtureblock.moc"
