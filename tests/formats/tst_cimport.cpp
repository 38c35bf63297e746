#include "cimport.h"
#include "coretestsupport.h"
#include "dmxfile.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString kCFilter = QStringLiteral("Dmx-c files (*.c )");

// A file in the export's layout: header lines, the flag line, then one comment and one
// values line per record.
QByteArray cFile(const QByteArray &flagLine, const QList<QByteArray> &values,
                 bool headerComment = true)
{
    QByteArray text;
    if (headerComment)
        text += "//QX,DMX512,version:1\n";
    text += "#include \"dmx.h\"\n"
            "const unsigned char t_enChange[maxSendCh] = {//3\n" +
            flagLine +
            "\n};\n"
            "const unsigned short t_size = 2;\n"
            "const runDmxData t_Array[2] =//all count 2 between 1\n"
            "{\n";
    for (int i = 0; i < values.size(); ++i)
        text += "    //" + QByteArray::number(i) + "-" + QByteArray::number(i) + "\n" +
                values.at(i) + "\n";
    return text + "};\n";
}

// A values line of 1, 2, ... count, as the export writes it.
QByteArray valuesOf(int count)
{
    QByteArray line = "    {";
    for (int i = 1; i <= count; ++i)
        line += QByteArray::number(i) + ",";
    return line + "},";
}

QList<int> cells(int row, int from, int count)
{
    QList<int> out;
    for (int c = from; c < from + count; ++c)
        out << coreModel()->steps().cell(row, c);
    return out;
}

} // namespace

class tst_cimport : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void roundTripWithStartUpPatch();
    void flagLine_data();
    void flagLine();
    void appendsAfterExistingRows();
    void includeLineFirst();
    void fixtureOffMovesChannelsDown();
    void blankLinesAreNoRecords_data();
    void blankLinesAreNoRecords();
    void valuesLine_data();
    void valuesLine();
    void longValuesLineStaysInTheRow();
    void emptyExportImportsNothing();
    void shortFile();
    void formatReader_data();
    void formatReader();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void formatRowLimit_data();
    void formatRowLimit();

  private:
    int load(const QByteArray &text);
    int exportAndReload(int col);

    QScopedPointer<QTemporaryDir> m_dir;
    dmxFile m_files;
};

void tst_cimport::init()
{
    freshCore();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

int tst_cimport::load(const QByteArray &text)
{
    const QString path = m_dir->filePath("in.c");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return -1;
    f.close();
    return m_files.loadData(QUrl::fromLocalFile(path));
}

// Exports the whole table, empties it and reads the file back.
int tst_cimport::exportAndReload(int col)
{
    const QUrl url = QUrl::fromLocalFile(m_dir->filePath("trip.c"));
    if (!m_files.saveData(url, col, 0, coreModel()->rowCount() - 1, kCFilter))
        return -1;
    coreModel()->stepsForWriting().clear();
    for (int i = 0; i < 512; ++i)
        channel(i)->setDimEn(false);
    return m_files.loadData(url);
}

void tst_cimport::roundTripWithStartUpPatch()
{
    for (int r = 0; r < 3; ++r) {
        tableRow row = appendRow(quint16(40000 + r), quint16(r));
        for (int c = 1; c <= 512; ++c)
            row[c + 2] = quint16((c * 7 + r) % 256);
    }
    for (int i = 0; i < 120; i += 3)
        channel(i)->setDimEn(true);
    QSignalSpy spy(channel(119), &dim::dimEnChanged);

    QCOMPARE(exportAndReload(120), 120);
    QCOMPARE(spy.count(), 1);
    for (int i = 0; i < 121; ++i)
        QCOMPARE(int(channel(i)->dimEn()), i < 120 && i % 3 == 0 ? 1 : 0);
    QCOMPARE(coreModel()->rowCount(), 3);
    QCOMPARE(coreModel()->playEnd(), 2);
    for (int r = 0; r < 3; ++r) {
        const StepRow row = coreModel()->steps().row(r);
        QCOMPARE(row.size(), 515);
        QCOMPARE(int(row[0]), r);
        QCOMPARE(int(row[1]), 40000 + r);
        QCOMPARE(int(row[2]), r);
        for (int c = 1; c <= 108; ++c)
            QCOMPARE(int(row[c + 2]), (c * 7 + r) % 256);
        for (int c = 109; c <= 512; ++c)
            QCOMPARE(int(row[c + 2]), 0);
    }
}

void tst_cimport::flagLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("k");
    QTest::addColumn<QList<int>>("after"); // flags of channels 1..4, which start 0,1,1,1

    QTest::newRow("1,0,1,") << QByteArray("    1,0,1,") << 3 << QList<int>{1, 0, 1, 1};
    QTest::newRow("2 turns a flag off") << QByteArray("    2,1,") << 2 << QList<int>{0, 1, 1, 1};
    QTest::newRow("not a number") << QByteArray("    x,1,") << 2 << QList<int>{0, 1, 1, 1};
    QTest::newRow("empty line") << QByteArray("") << 0 << QList<int>{0, 1, 1, 1};
    QTest::newRow("export of C = 0") << QByteArray("    0") << 0 << QList<int>{0, 1, 1, 1};
    QTest::newRow("514 flags of an older version")
        << QByteArray("    " + QByteArray("1,").repeated(514)) << 512 << QList<int>{1, 1, 1, 1};
}

void tst_cimport::flagLine()
{
    QFETCH(QByteArray, line);
    QFETCH(int, k);
    QFETCH(QList<int>, after);
    for (int i = 1; i < 4; ++i)
        channel(i)->setDimEn(true);
    QList<QSharedPointer<QSignalSpy>> spies;
    for (int i = 0; i < 512; ++i)
        spies << QSharedPointer<QSignalSpy>::create(channel(i), &dim::dimEnChanged);

    QCOMPARE(load(cFile(line, {"    {   1,   2,   3,},"})), k);
    QCOMPARE(flags(4), after);
    for (int i = 0; i < 512; ++i)
        QCOMPARE(spies.at(i)->count(), i < k ? 1 : 0);
    QCOMPARE(coreModel()->rowCount(), 1); // the rows are read all the same
}

void tst_cimport::appendsAfterExistingRows()
{
    for (int i = 0; i < 4; ++i)
        appendRow(9, 9, 9);
    QCOMPARE(load(cFile("    1,0,1,", {"    {   1,   2,   3,},", "    {   4,   5,   6,},"})), 3);
    QCOMPARE(coreModel()->rowCount(), 6);
    QCOMPARE(cells(3, 0, 4), (QList<int>{3, 9, 9, 9}));
    QCOMPARE(cells(4, 0, 5), (QList<int>{4, 1, 2, 3, 0}));
    QCOMPARE(cells(5, 0, 5), (QList<int>{5, 4, 5, 6, 0}));
    QCOMPARE(coreModel()->playEnd(), 5);
}

void tst_cimport::includeLineFirst()
{
    const QList<QByteArray> values{"    {  10,  20, 255,   0,},"};
    QCOMPARE(load(cFile("    0,1,", values, false)), 2);
    QCOMPARE(flags(2), (QList<int>{0, 1}));
    QCOMPARE(coreModel()->rowCount(), 1);
    QCOMPARE(cells(0, 0, 6), (QList<int>{0, 10, 20, 255, 0, 0}));
}

void tst_cimport::fixtureOffMovesChannelsDown()
{
    tableRow row = appendRow(5, 6);
    for (int c = 1; c <= 512; ++c)
        row[c + 2] = quint16(c);
    fixture(0)->setSelectUnannounced(false);

    QCOMPARE(exportAndReload(120), 120);
    QCOMPARE(coreModel()->rowCount(), 1);
    QCOMPARE(cells(0, 1, 2), (QList<int>{5, 6}));
    for (int c = 1; c <= 90; ++c)
        QCOMPARE(int(coreModel()->steps().cell(0, c + 2)), c + 18);
    for (int c = 91; c <= 512; ++c)
        QCOMPARE(int(coreModel()->steps().cell(0, c + 2)), 0);
}

void tst_cimport::blankLinesAreNoRecords_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("rows");

    const QByteArray two = cFile("    1,", {"    {   1,   2,},", "    {   3,   4,},"});
    QTest::newRow("trailing empty line") << two + "\n" << 2;
    QTest::newRow("trailing blanks and tab") << two + "   \t\n\n" << 2;
    QByteArray between = two;
    between.replace("    //1-1\n", "    //1-1\n\n");
    QTest::newRow("blank line between records") << between << 2;
    QByteArray crlf = two;
    crlf.replace("\n", "\r\n");
    QTest::newRow("carriage returns") << crlf + "\r\n" << 2;
}

void tst_cimport::blankLinesAreNoRecords()
{
    QFETCH(QByteArray, text);
    QFETCH(int, rows);
    QCOMPARE(load(text), 1);
    QCOMPARE(coreModel()->rowCount(), rows);
    QCOMPARE(cells(rows - 1, 0, 4), (QList<int>{rows - 1, 3, 4, 0}));
}

void tst_cimport::valuesLine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QList<int>>("cells"); // cells 1..6

    QTest::newRow("as exported") << QByteArray("    {   1,   3, 255,   0,},")
                                 << QList<int>{1, 3, 255, 0, 0, 0};
    QTest::newRow("no comma before the brace")
        << QByteArray("    {   1,   3, 255,   7},") << QList<int>{1, 3, 255, 7, 0, 0};
    QTest::newRow("not ending in },")
        << QByteArray("    {   1,   3, 255,   7") << QList<int>{1, 3, 255, 0, 0, 0};
    QTest::newRow("largest values")
        << QByteArray("    {65535,65535,65535,},") << QList<int>{65535, 65535, 255, 0, 0, 0};
    QTest::newRow("line of 8192 characters")
        << QByteArray("    {   1,   2,},").leftJustified(8192, ' ') << QList<int>{1, 2, 0, 0, 0, 0};
    QTest::newRow("field of 16 characters")
        << QByteArray("    {0000000000000007,   1,},") << QList<int>{7, 1, 0, 0, 0, 0};
    QTest::newRow("a level past a byte is full")
        << QByteArray("    {   1,   3,12345,},") << QList<int>{1, 3, 255, 0, 0, 0};
}

void tst_cimport::valuesLine()
{
    QFETCH(QByteArray, line);
    QFETCH(QList<int>, cells);
    QCOMPARE(load(cFile("    1,", {line})), 1);
    QCOMPARE(coreModel()->rowCount(), 1);
    QCOMPARE(::cells(0, 1, 6), cells);
}

void tst_cimport::longValuesLineStaysInTheRow()
{
    QCOMPARE(load(cFile("    1,", {valuesOf(514), "    {   1,   2,},"})), 1);
    QCOMPARE(coreModel()->rowCount(), 2);
    const StepRow row = coreModel()->steps().row(0);
    QCOMPARE(row.size(), 515);
    QCOMPARE(int(row[1]), 1);
    QCOMPARE(int(row[514]), 255); // 514, as full as a level goes
    QCOMPARE(cells(1, 0, 4), (QList<int>{1, 1, 2, 0}));
}

void tst_cimport::emptyExportImportsNothing()
{
    appendRow(1, 1, 1);
    const QUrl url = QUrl::fromLocalFile(m_dir->filePath("empty.c"));
    freshCore();
    QVERIFY(m_files.saveData(url, 0, 0, -1, kCFilter));
    channel(0)->setDimEn(true);
    QCOMPARE(m_files.loadData(url), 0);
    QCOMPARE(coreModel()->rowCount(), 0);
    QCOMPARE(int(channel(0)->dimEn()), 1);
    QCOMPARE(coreModel()->playEnd(), -1);
}

void tst_cimport::shortFile()
{
    appendRow(1, 1, 1);
    channel(0)->setDimEn(true);
    coreModel()->setPlayEnd(0);
    QCOMPARE(load("//QX,DMX512,version:1\n#include \"dmx.h\"\n"), 0);
    QVERIFY(!m_files.lastError().isEmpty());
    QCOMPARE(coreModel()->rowCount(), 1);
    QCOMPARE(int(channel(0)->dimEn()), 1);
    QCOMPARE(coreModel()->playEnd(), 0);
}

void tst_cimport::formatReader_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("skip"); // bytes before the export in the input
    QTest::addColumn<int>("columns");
    QTest::addColumn<QList<int>>("row"); // the last row read; empty when refused

    const QByteArray two =
        cFile("    1,0,", {"    {   1,   2,   3,},", "    {   4,   5,   6,   7,},"});
    QTest::newRow("table rows") << two << 0 << 515 << (QList<int>{1, 4, 5, 6, 7, 0, 0});
    QTest::newRow("rows narrower than the values") << two << 0 << 5 << (QList<int>{1, 4, 5, 6, 7});
    QTest::newRow("after other text")
        << "int x;\n" + two << 7 << 515 << (QList<int>{1, 4, 5, 6, 7, 0, 0});
    QTest::newRow("refused") << QByteArray("not C\n") << 0 << 515 << QList<int>{};
}

// Rows never grow past their width;
// a refusal hands back nothing.
void tst_cimport::formatReader()
{
    QFETCH(QByteArray, text);
    QFETCH(int, skip);
    QFETCH(int, columns);
    QFETCH(QList<int>, row);
    QBuffer in(&text);
    in.open(QIODevice::ReadOnly);
    in.seek(skip);
    const cImport::readResult read = cImport::read(in, columns, 7);
    QCOMPARE(read.error.isEmpty(), !row.isEmpty());
    QCOMPARE(read.show.flags, row.isEmpty() ? QByteArray() : QByteArray("\1\0", 2));
    QCOMPARE(read.show.rows.size(), row.isEmpty() ? 0 : 2);
    if (!row.isEmpty()) {
        const StepRow last = read.show.rows.row(1, columns);
        QList<int> cellsRead;
        for (int c = 0; c < row.size(); ++c)
            cellsRead << last.at(c);
        QCOMPARE(cellsRead, row);
    }
}

void tst_cimport::refusalsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("reason");

    const QByteArray good = cFile("    1,0,1,", {"    {   1,   2,   3,},"});
    auto broken = [&](const QByteArray &from, const QByteArray &to) {
        QByteArray text = good;
        text.replace(from, to);
        return text;
    };
    const QString layout = QStringLiteral("not a C export: line %1 ");
    QTest::newRow("flag array declaration")
        << broken("const unsigned char", "const char")
        << layout.arg(3) + "is no flag array (\"const unsigned char …_enChange[maxSendCh] = {\")";
    QTest::newRow("flag array not closed")
        << broken("\n};\nconst", "\n}\nconst")
        << layout.arg(5) + "does not close the flag array (\"};\")";
    QTest::newRow("record count declaration")
        << broken("unsigned short", "unsigned int")
        << layout.arg(6) + "is no record count (\"const unsigned short …_size = N;\")";
    QTest::newRow("record array declaration")
        << broken("t_Array[2]", "t_Array[]")
        << layout.arg(7) + "is no record array (\"const runDmxData …_Array[N]\")";
    QTest::newRow("record array not opened")
        << broken("between 1\n{\n", "between 1\n{{\n")
        << layout.arg(8) + "does not open the record array (\"{\")";
    QTest::newRow("size past the player's counter")
        << broken("= 2;", "= 65536;").replace("[2]", "[65536]")
        << "line 6: the size 65536 is more than the player's 65535 records";
    QTest::newRow("size and array differ")
        << broken("[2]", "[3]") << "line 7: the record array holds 3 records, the size says 2";
    QTest::newRow("515 flags") << cFile("    " + QByteArray("1,").repeated(515), {})
                               << "line 4 has 515 channel flags, more than the 512 of a show";
    QTest::newRow("515 values") << cFile("    1,", {valuesOf(515)})
                                << "line 10 has 515 values, more than the 514 of a record (speed, "
                                   "fade and 512 channels)";
    const QString range =
        QStringLiteral("line %1, %2: \"%3\" is not a whole number from 0 to 65535");
    QTest::newRow("speed past 16 bits")
        << cFile("    1,", {"    {65536,   1,},"}) << range.arg(10).arg("speed", "65536");
    QTest::newRow("fade not a number")
        << cFile("    1,", {"    {   1,  x3,},"}) << range.arg(10).arg("fade", "x3");
    QTest::newRow("channel 3 negative") << cFile("    1,", {"    {   1,   2,   0,   0,  -1,},"})
                                        << range.arg(10).arg("channel 3", "-1");
    QTest::newRow("empty field") << cFile("    1,", {"    {   1,,   2,},"})
                                 << range.arg(10).arg("fade", "");
    QTest::newRow("fault in the second record")
        << cFile("    1,", {"    {   1,   2,},", "    {   1,70000,},"})
        << range.arg(12).arg("fade", "70000");
    QTest::newRow("field of 17 characters")
        << cFile("    1,", {"    {00000000000000007,},"})
        << "line 10, speed: a field of 17 characters, more than the 16 allowed";
    QTest::newRow("no record") << cFile("    1,", {"garbage,"})
                               << "line 10 is no record (\"{\" and the values)";
    QTest::newRow("values line of 8193 characters")
        << cFile("    1,", {QByteArray("    {   1,   2,},").leftJustified(8193, ' ')})
        << "line 10 is longer than 8192 characters";
    QTest::newRow("comment line of 8193 characters")
        << broken("    //0-0", QByteArray("    //0-0").leftJustified(8193, 'x'))
        << "line 9 is longer than 8192 characters";
    QTest::newRow("header line of 8193 characters")
        << broken("//QX", QByteArray("//QX").leftJustified(8193, 'x'))
        << "line 1 is longer than 8192 characters";
    QTest::newRow("no line feed at all")
        << QByteArray(100000, '1') << "line 1 is longer than 8192 characters";
}

// A refused import names the line and the field; the table, the flags and the play end stay.
void tst_cimport::refusalsChangeNothing()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, reason);
    appendRow(4, 5, 6);
    appendRow(7, 8, 9);
    coreModel()->setPlayEnd(0);
    channel(1)->setDimEn(true);
    QSignalSpy spy(channel(0), &dim::dimEnChanged);

    QCOMPARE(load(text), 0);
    QCOMPARE(m_files.lastError(), reason);
    QCOMPARE(coreModel()->rowCount(), 2);
    QCOMPARE(cells(1, 0, 4), (QList<int>{1, 7, 8, 9}));
    QCOMPARE(flags(3), (QList<int>{0, 1, 0}));
    QCOMPARE(spy.count(), 0);
    QCOMPARE(coreModel()->playEnd(), 0);
}

void tst_cimport::formatRowLimit_data()
{
    QTest::addColumn<int>("before"); // rows already in the table
    QTest::addColumn<QString>("reason");

    QTest::newRow("one under the limit") << 65532 << QString();
    QTest::newRow("at the limit") << 65533 << QString();
    QTest::newRow("one over the limit")
        << 65534 << "line 12: with the 65534 rows in the table, more than the 65535 of a table";
}

// Two records after the rows already in the table: the table holds at most 65535 rows.
void tst_cimport::formatRowLimit()
{
    QFETCH(int, before);
    QFETCH(QString, reason);
    QByteArray text = cFile("    1,", {"    {   1,   2,},", "    {   3,   4,},"});
    QBuffer in(&text);
    in.open(QIODevice::ReadOnly);
    const cImport::readResult read = cImport::read(in, 3, before);
    QCOMPARE(read.error, reason);
    QCOMPARE(read.show.rows.size(), reason.isEmpty() ? 2 : 0);
}

QTEST_GUILESS_MAIN(tst_cimport)
#include "tst_cimport.moc"
