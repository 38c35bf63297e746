#include "cexport.h"
#include "childprocess.h"
#include "dmxfile.h"
#include "patchcases.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString kCFilter = QStringLiteral("Dmx-c files (*.c )");

QStringList linesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromLatin1(f.readAll());
    if (text.endsWith('\n'))
        text.chop(1);
    return text.split('\n');
}

QStringList commentLines(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (line.startsWith("    //"))
            out << line.mid(6);
    return out;
}

QStringList valueLinesOf(const QStringList &lines)
{
    QStringList out;
    for (const QString &line : lines)
        if (line.startsWith("    {"))
            out << line;
    return out;
}

// The entries of a values line, as numbers.
QList<int> entriesOf(const QString &valuesLine)
{
    QString inner = valuesLine.trimmed();
    inner = inner.mid(1, inner.size() - 4); // "{" ... ",},"
    QList<int> out;
    for (const QString &piece : inner.split(','))
        out << piece.trimmed().toInt();
    return out;
}

// Cell c + 2 holds c modulo 256 (a level is a byte), so each entry tells which channel it
// came from.
void numberedRows(int rows)
{
    for (int r = 0; r < rows; ++r) {
        tableRow row = appendRow(quint16(100 + r), quint16(r));
        for (int c = 1; c <= 512; ++c)
            row[c + 2] = quint16(c % 256);
    }
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int i = from; i <= to; ++i)
        out << i;
    return out;
}
} // namespace

class tst_cexport : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void goldenText();
    void strideAndRange_data();
    void strideAndRange();
    void valuesLines_data();
    void valuesLines();
    void patchedExports_data() { addPatchCases(); }
    void patchedExports();
    void identifiers_data();
    void identifiers();
    void patchDumpBeforeRecords();
    void compilesForPlayer_data();
    void compilesForPlayer();
    void formatSentChannels_data();
    void formatSentChannels();
    void recordLimit_data();
    void recordLimit();
    void formatRefusesWithoutWriting();

  private:
    QStringList exportLines(const QString &name, int col, int start, int end);

    QScopedPointer<QTemporaryDir> m_dir;
    dmxFile m_files;
};

void tst_cexport::init()
{
    freshCore();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

QStringList tst_cexport::exportLines(const QString &name, int col, int start, int end)
{
    const QString path = m_dir->filePath(name);
    if (!m_files.saveData(QUrl::fromLocalFile(path), col, start, end, kCFilter))
        return {};
    return linesOf(path.endsWith(".c") ? path : path + ".c");
}

void tst_cexport::goldenText()
{
    channel(0)->setDimEn(true);
    channel(2)->setDimEn(true);
    tableRow first = appendRow(1, 3);
    first[3] = 255;
    first[5] = 12345; // a level is a byte: kept as 255
    first[6] = 99;    // beyond C
    tableRow second = appendRow(10, 0);
    second[3] = 1;
    second[4] = 2;
    second[5] = 3;

    const QString path = m_dir->filePath("show1");
    QVERIFY(m_files.saveData(QUrl::fromLocalFile(path), 3, 0, 1, kCFilter));
    QFile file(path + ".c");
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll()),
             QString("//QX,DMX512,version:1\n"
                     "#include \"dmx.h\"\n"
                     "const unsigned char show1_enChange[maxSendCh] = {//3\n"
                     "    1,0,1,\n"
                     "};\n"
                     "const unsigned short show1_size = 2;\n"
                     "const runDmxData show1_Array[2] =//all count 2 between 1\n"
                     "{\n"
                     "    //0-0\n"
                     "    {   1,   3, 255,   0, 255,},\n"
                     "    //1-1\n"
                     "    {  10,   0,   1,   2,   3,},\n"
                     "};\n"));
}

void tst_cexport::strideAndRange_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<uint>("stride");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("comments");

    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QString("%1-%1").arg(i);
    QTest::newRow("whole, stride 1") << 10 << 1u << 0 << 9 << 10 << ten;
    QTest::newRow("stride 3 lands on the end")
        << 10 << 3u << 0 << 9 << 4 << QStringList{"0-0", "3-1", "6-2", "9-3"};
    QTest::newRow("stride 4 adds the end")
        << 10 << 4u << 0 << 9 << 4 << QStringList{"0-0", "4-1", "8-2", "9-3 add end"};
    QTest::newRow("rows 2 to 5") << 10 << 1u << 2 << 5 << 4
                                 << QStringList{"2-0", "3-1", "4-2", "5-3"};
    QTest::newRow("one row, no closing record") << 10 << 4u << 5 << 5 << 1 << QStringList{"5-0"};
    QTest::newRow("rows 1 to 6, stride 2, closing record")
        << 10 << 2u << 1 << 6 << 4 << QStringList{"1-0", "3-1", "5-2", "6-3 add end"};
    QTest::newRow("stride 0 counts as 1")
        << 3 << 0u << 0 << 2 << 3 << QStringList{"0-0", "1-1", "2-2"};
    QTest::newRow("range clamped into the table")
        << 5 << 2u << -3 << 50 << 3 << QStringList{"0-0", "2-1", "4-2"};
    QTest::newRow("range swapped")
        << 5 << 1u << 4 << 1 << 4 << QStringList{"1-0", "2-1", "3-2", "4-3"};
    QTest::newRow("empty table") << 0 << 1u << 0 << -1 << 1 << QStringList{};
}

void tst_cexport::strideAndRange()
{
    QFETCH(int, rows);
    QFETCH(uint, stride);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, n);
    QFETCH(QStringList, comments);
    numberedRows(rows);
    coreModel()->setBetween(stride);

    const QStringList lines = exportLines("range.c", 4, start, end);
    QVERIFY(lines.size() >= 9);
    QCOMPARE(lines.at(5), QString("const unsigned short range_size = %1;").arg(n));
    QCOMPARE(lines.at(6), QString("const runDmxData range_Array[%1] =//all count %2 between %3")
                              .arg(n)
                              .arg(rows)
                              .arg(qMax(1u, stride)));
    QCOMPARE(lines.at(7), QString("{"));
    QCOMPARE(commentLines(lines), comments);
    if (rows == 0) {
        QCOMPARE(lines.mid(8), QStringList{"    {0}};"});
        return;
    }
    const QStringList values = valueLinesOf(lines);
    QCOMPARE(values.size(), comments.size());
    for (int i = 0; i < comments.size(); ++i) {
        const int row = comments.at(i).section('-', 0, 0).toInt();
        QCOMPARE(entriesOf(values.at(i)).mid(0, 3), (QList<int>{100 + row, row, 1}));
    }
    QCOMPARE(lines.size(), 8 + 2 * comments.size() + 1);
    QCOMPARE(lines.last(), QString("};"));
}

void tst_cexport::valuesLines_data()
{
    QTest::addColumn<int>("col");
    QTest::addColumn<QList<int>>("off");
    QTest::addColumn<int>("flagCount");
    QTest::addColumn<QList<int>>("channels");

    QTest::newRow("start-up patch") << 120 << QList<int>{} << 120 << range(1, 108);
    QTest::newRow("fixture 1 off") << 120 << QList<int>{1} << 120 << range(1, 18) + range(37, 108);
    QTest::newRow("fixture 0 off") << 120 << QList<int>{0} << 120 << range(19, 108);
    QTest::newRow("C = 0") << 0 << QList<int>{} << 0 << QList<int>{};
    QTest::newRow("all fixtures off") << 120 << QList<int>{0, 1, 2, 3, 4, 5} << 120 << QList<int>{};
    QTest::newRow("C of 514 clamped to 512") << 514 << QList<int>{} << 512 << range(1, 108);
    QTest::newRow("C inside the first fixture") << 5 << QList<int>{} << 5 << range(1, 5);
}

void tst_cexport::valuesLines()
{
    QFETCH(int, col);
    QFETCH(QList<int>, off);
    QFETCH(int, flagCount);
    QFETCH(QList<int>, channels);
    numberedRows(2);
    for (int f : off)
        fixture(f)->setSelectUnannounced(false);
    for (int i = 0; i < 512; i += 2)
        channel(i)->setDimEn(true);

    const QStringList lines = exportLines("v.c", col, 0, 1);
    QCOMPARE(lines.at(2),
             QString("const unsigned char v_enChange[maxSendCh] = {//%1").arg(flagCount));
    QString flagLine =
        "    " + QString("1,0,").repeated(flagCount / 2) + (flagCount % 2 ? "1," : "");
    if (flagCount == 0)
        flagLine = "    0";
    QCOMPARE(lines.at(3), flagLine);
    const QStringList values = valueLinesOf(lines);
    QCOMPARE(values.size(), 2);
    for (int r = 0; r < 2; ++r)
        QCOMPARE(entriesOf(values.at(r)), QList<int>({100 + r, r}) + channels);
}

// Each values line holds speed, fade and the channels the frame would carry, in slot order.
void tst_cexport::patchedExports()
{
    QFETCH(QList<int>, fixtures);
    QFETCH(QList<int>, off);
    QFETCH(QList<int>, sent);
    applyPatchCase(fixtures, off);
    numberedRows(2);
    QList<int> entries;
    for (int c : sent)
        entries << (c + 1) % 256;
    const QStringList values = valueLinesOf(exportLines("p.c", 512, 0, 1));
    QCOMPARE(values.size(), 2);
    for (int r = 0; r < 2; ++r)
        QCOMPARE(entriesOf(values.at(r)), QList<int>({100 + r, r}) + entries);
}

void tst_cexport::identifiers_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("id");

    QTest::newRow("show1.c") << "show1.c"
                             << "show1";
    QTest::newRow("no extension") << "show1"
                                  << "show1";
    QTest::newRow("my.show.c") << "my.show.c"
                               << "myshow";
    QTest::newRow("a.cfg.c") << "a.cfg.c"
                             << "afg";
    QTest::newRow("underscore kept") << "_my_Show9.c"
                                     << "_my_Show9";
    QTest::newRow("blank") << "my show.c"
                           << "my_show";
    QTest::newRow("leading digit and hyphen") << "2024-show.c"
                                              << "_2024_show";
    QTest::newRow("non-ASCII letters") << QString::fromUtf8("灯光.c") << "__";
}

void tst_cexport::identifiers()
{
    QFETCH(QString, chosen);
    QFETCH(QString, id);
    numberedRows(1);
    const QStringList lines = exportLines(chosen, 2, 0, 0);
    QCOMPARE(lines.at(2), "const unsigned char " + id + "_enChange[maxSendCh] = {//2");
    QVERIFY(lines.at(5).startsWith("const unsigned short " + id + "_size = "));
    QVERIFY(lines.at(6).startsWith("const runDmxData " + id + "_Array["));
}

namespace
{
QStringList g_messages;
void keepMessage(QtMsgType, const QMessageLogContext &, const QString &text)
{
    g_messages << text;
}
} // namespace

void tst_cexport::patchDumpBeforeRecords()
{
    numberedRows(3);
    g_messages.clear();
    const QtMessageHandler old = qInstallMessageHandler(keepMessage);
    const QStringList lines = exportLines("dump.c", 20, 0, 2);
    qInstallMessageHandler(old);
    QCOMPARE(lines.size(), 15);

    QStringList dump;
    for (const QString &m : qAsConst(g_messages))
        if (m.startsWith("****i:"))
            dump << m;
    QCOMPARE(dump.size(), 6);
    QVERIFY(g_messages.last().startsWith("'.c' file save success:"));
}

void tst_cexport::compilesForPlayer_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<uint>("stride");
    QTest::addColumn<QList<int>>("off");
    QTest::addColumn<int>("col");

    QTest::newRow("whole table") << 6 << 1u << QList<int>{} << 512;
    QTest::newRow("stride 4 with closing record") << 10 << 4u << QList<int>{} << 120;
    QTest::newRow("fixtures switched off") << 3 << 1u << QList<int>{1, 3} << 120;
    QTest::newRow("no fixture on, no channel") << 2 << 1u << QList<int>{0, 1, 2, 3, 4, 5} << 0;
    QTest::newRow("empty table") << 0 << 1u << QList<int>{} << 120;
}

// The exported text must build against the player's header and hand it the table's values.
void tst_cexport::compilesForPlayer()
{
    QFETCH(int, rows);
    QFETCH(uint, stride);
    QFETCH(QList<int>, off);
    QFETCH(int, col);
    const QString cc = QStandardPaths::findExecutable("gcc");
    if (cc.isEmpty())
        QSKIP("no gcc on this machine");
    numberedRows(rows);
    if (rows > 0)
        coreModel()->stepsForWriting().setCell(rows - 1, 3, 12345);
    coreModel()->setBetween(stride);
    for (int f : off)
        fixture(f)->setSelectUnannounced(false);
    channel(0)->setDimEn(true);
    QVERIFY(!exportLines("prog.c", col, 0, rows - 1).isEmpty());

    QFile main(m_dir->filePath("main.c"));
    QVERIFY(main.open(QIODevice::WriteOnly));
    main.write("#include <stdio.h>\n#include \"dmx.h\"\n"
               "extern const unsigned char prog_enChange[maxSendCh];\n"
               "extern const unsigned short prog_size;\n"
               "extern const runDmxData prog_Array[];\n"
               "static void dump(const unsigned short *r)\n"
               "{\n    int i;\n    for (i = 0; i < 2 + maxSendCh; ++i)\n"
               "        printf(\" %u\", r[i]);\n    printf(\"\\n\");\n}\n"
               "int main(void)\n{\n"
               "    printf(\"%u %u\\n\", prog_size, prog_enChange[0]);\n"
               "    dump(prog_Array[0]);\n    dump(prog_Array[prog_size - 1]);\n"
               "    return 0;\n}\n");
    main.close();

    const QStringList flags{"-std=c99",   "-Wall",   "-Wextra",
                            "-Wpedantic", "-Werror", "-I" PLAYER_DIR};
    childProcess gcc;
    gcc.setWorkingDirectory(m_dir->path());
    gcc.start(cc, flags + QStringList{"-c", "prog.c"});
    QVERIFY(gcc.waitForFinished(60000));
    QVERIFY2(gcc.exitCode() == 0, gcc.readAllStandardError().constData());
    gcc.start(cc, flags + QStringList{"-o", "player", "main.c", "prog.o"});
    QVERIFY(gcc.waitForFinished(60000));
    QVERIFY2(gcc.exitCode() == 0, gcc.readAllStandardError().constData());

    childProcess player;
    player.start(m_dir->filePath("player"), QStringList{});
    QVERIFY(player.waitForFinished(60000));
    const QStringList out = QString::fromLatin1(player.readAllStandardOutput()).split('\n');
    QVERIFY(out.size() >= 3);

    auto expectedRecord = [&](int row) {
        QStringList cells;
        if (row < 0) {
            for (int i = 0; i < 514; ++i)
                cells << "0";
            return " " + cells.join(' ');
        }
        const StepRow data = coreModel()->steps().row(row);
        cells << QString::number(data[1]) << QString::number(data[2]);
        light_list *patch = coreModel()->output()->patch();
        for (int c = 1; c <= qMin(col, 512); ++c)
            if (patch->mapChannel(c - 1))
                cells << QString::number(data[c + 2]);
        while (cells.size() < 514)
            cells << "0";
        return " " + cells.join(' ');
    };
    const int n = rows <= 1 ? 1 : 1 + (rows - 1 + int(stride) - 1) / int(stride);
    QCOMPARE(out.at(0), QString("%1 %2").arg(n).arg(col > 0 ? 1 : 0));
    QCOMPARE(out.at(1), expectedRecord(rows > 0 ? 0 : -1));
    QCOMPARE(out.at(2), expectedRecord(rows - 1));
}

void tst_cexport::formatSentChannels_data()
{
    QTest::addColumn<QVector<bool>>("sent");
    QTest::addColumn<QString>("first");  // the values line of the full row
    QTest::addColumn<QString>("second"); // the values line of the row of three cells

    QTest::newRow("every channel")
        << QVector<bool>{true, true, true} << "    {   1,   2,  11,  12,  13,},"
        << "    {   3,   4,   0,   0,   0,},";
    QTest::newRow("the middle one left out")
        << QVector<bool>{true, false, true} << "    {   1,   2,  11,  13,},"
        << "    {   3,   4,   0,   0,},";
    QTest::newRow("a map shorter than the flags")
        << QVector<bool>{false, true} << "    {   1,   2,  12,},"
        << "    {   3,   4,   0,},";
    QTest::newRow("no map") << QVector<bool>{} << "    {   1,   2,},"
                            << "    {   3,   4,},";
}

// The export over plain data: the patch map decides the channels, and a row without the
// cells of a channel writes 0 for it.
void tst_cexport::formatSentChannels()
{
    QFETCH(QVector<bool>, sent);
    QFETCH(QString, first);
    QFETCH(QString, second);
    StepRow full{0, 1, 2, 11, 12, 13};
    StepRow narrow{0, 3, 4};
    cExport::layout range;
    range.id = "t";
    range.sent = sent;
    range.last = 1;
    QByteArray text;
    QBuffer out(&text);
    out.open(QIODevice::WriteOnly);
    stepTable rows;
    rows.append(full);
    rows.append(narrow);
    QVERIFY(cExport::write(out, {QByteArray("\1\0\1", 3), rows, {}}, range));
    const QStringList lines = QString::fromLatin1(text).split('\n');
    QCOMPARE(lines.at(3), QString("    1,0,1,"));
    QCOMPARE(valueLinesOf(lines), (QStringList{first, second}));
}

void tst_cexport::recordLimit_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<uint>("stride");
    QTest::addColumn<int>("records"); // 0: the export is refused

    QTest::newRow("one under") << 65534 << 1u << 65534;
    QTest::newRow("at the player's limit") << 65535 << 1u << 65535;
    QTest::newRow("one over") << 65536 << 1u << 0;
    QTest::newRow("over the table, within the player with stride 2") << 70000 << 2u << 35001;
}

// The player's size is an unsigned short: a range of more records is refused in the window
// with the count and the limit, and nothing is written.
void tst_cexport::recordLimit()
{
    QFETCH(int, rows);
    QFETCH(uint, stride);
    QFETCH(int, records);
    for (int r = 0; r < rows; ++r)
        coreModel()->stepsForWriting().append(StepRow(3));
    coreModel()->setBetween(stride);
    const QString path = m_dir->filePath("big.c");
    QCOMPARE(m_files.saveData(QUrl::fromLocalFile(path), 4, 0, rows - 1, kCFilter), records > 0);
    if (records == 0) {
        QCOMPARE(m_files.lastError(),
                 path + ": the range holds 65536 records, more than the 65535 the player "
                        "counts (an unsigned short)");
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    } else {
        QCOMPARE(commentLines(linesOf(path)).size(), records);
        QVERIFY(
            linesOf(path).contains(QString("const unsigned short big_size = %1;").arg(records)));
    }
}

void tst_cexport::formatRefusesWithoutWriting()
{
    showData show;
    show.rows.insert(0, 65536, 1, 2, nullptr, 0);
    cExport::layout range;
    range.id = "big";
    range.last = 65535;
    QCOMPARE(cExport::records(show, range), qint64(65536));
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    QVERIFY(!cExport::write(out, show, range));
    QCOMPARE(bytes.size(), 0);
    show.flags = QByteArray(513, '\1');
    range.last = 0;
    QCOMPARE(cExport::problem(show, range), QString("513 channels, more than the player's 512 "
                                                    "(maxSendCh)"));
}

QTEST_GUILESS_MAIN(tst_cexport)
#include "tst_cexport.moc"
