#include "coretestsupport.h"
#include "dmxfile.h"
#include "steptext.h"

#include <QtTest>

namespace
{
// A step line of the given number of fields: speed 1, fade 2, then levels 3, 4, ...
QString stepLine(int fields)
{
    QStringList out;
    for (int i = 1; i <= fields; ++i)
        out << QString::number(i % 256);
    return out.join('\t');
}

QList<int> cellsOf(const StepRow &row, int count)
{
    QList<int> out;
    for (int c = 0; c < count; ++c)
        out << row.at(c);
    return out;
}

const QString kNotNumber = QStringLiteral("line %1, %2: \"%3\" is not a whole number from 0 to %4");
} // namespace

class tst_steptext : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void clamps_data();
    void clamps();
    void refusals_data();
    void refusals();
    void rowLimit_data();
    void rowLimit();
    void pasteRefusalChangesNothing_data();
    void pasteRefusalChangesNothing();
};

void tst_steptext::clamps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("cells"); // cells 0..4 of the last step

    QTest::newRow("largest speed, fade and level")
        << "9999\t255\t255" << QList<int>{0, 9999, 255, 255, 0};
    QTest::newRow("one past each top") << "10000\t256\t256\t0" << QList<int>{0, 9999, 255, 255, 0};
    QTest::newRow("far past each top")
        << "99999\t300\t65536\t7" << QList<int>{0, 9999, 255, 255, 7};
    QTest::newRow("16 digits") << "0000000000000005\t1" << QList<int>{0, 5, 1, 0, 0};
    QTest::newRow("blanks around fields, carriage returns and blank lines after")
        << " 3 \t 4\t5\r\n\r\n  \n"
        << QList<int>{0, 3, 4, 5, 0};
    QTest::newRow("514 fields") << stepLine(514) << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("line of 8192 characters")
        << QString("1\t2").leftJustified(8192, ' ') << QList<int>{0, 1, 2, 0, 0};
    QTest::newRow("two lines") << "1\t2\n3\t4\t5" << QList<int>{0, 3, 4, 5, 0};
}

// Values above the window's tops are taken as the tops, as a typed cell takes them.
void tst_steptext::clamps()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, cells);
    const stepText::readResult read = stepText::read(text, 515, 65535);
    QCOMPARE(read.error, QString());
    QVERIFY(!read.rows.isEmpty());
    QCOMPARE(cellsOf(read.rows.row(read.rows.size() - 1), 5).mid(1), cells.mid(1));
}

void tst_steptext::refusals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("negative fade after a speed past the top")
        << "99999\t-5\t300\t256" << kNotNumber.arg(1).arg("fade", "-5").arg(255);
    QTest::newRow("speed not a number")
        << "hello\tworld" << kNotNumber.arg(1).arg("speed", "hello").arg(9999);
    QTest::newRow("channel 2 on line 2")
        << "1\t2\t3\n1\t2\t3\tx" << kNotNumber.arg(2).arg("channel 2", "x").arg(255);
    QTest::newRow("empty field") << "1\t\t3" << kNotNumber.arg(1).arg("fade", "").arg(255);
    QTest::newRow("blank line between steps")
        << "1\t2\n\n3\t4"
        << "line 2 has one field; a step has speed, fade and up to 512 "
           "levels, tab-separated";
    QTest::newRow("515 fields") << stepLine(515)
                                << "line 1 has 515 fields; a step has speed, fade and up to 512 "
                                   "levels, tab-separated";
    QTest::newRow("602 fields") << stepLine(602)
                                << "line 1 has 602 fields; a step has speed, fade and up to 512 "
                                   "levels, tab-separated";
    QTest::newRow("17 digits") << "00000000000000005\t1"
                               << "line 1, speed: a field of 17 characters, more than the 16 "
                                  "allowed";
    QTest::newRow("line of 8193 characters")
        << QString("1\t2").leftJustified(8193, ' ') << "line 1 is longer than 8192 characters";
    QTest::newRow("long line after a good one")
        << "1\t2\n" + QString(100000, '1') << "line 2 is longer than 8192 characters";
    QTest::newRow("nothing") << " \n\t\n"
                             << "the clipboard holds no steps";
}

void tst_steptext::refusals()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    const stepText::readResult read = stepText::read(text, 515, 65535);
    QCOMPARE(read.error, reason);
    QCOMPARE(read.rows.size(), 0);
}

void tst_steptext::rowLimit_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("room");
    QTest::addColumn<QString>("reason");

    QTest::newRow("one under") << 2 << 3 << QString();
    QTest::newRow("at") << 3 << 3 << QString();
    QTest::newRow("one over")
        << 4 << 3
        << "the clipboard holds 4 steps, with the 65532 in the table more than the "
           "65535 rows of a table";
    QTest::newRow("at, empty table") << 65535 << 65535 << QString();
    QTest::newRow("one over, empty table")
        << 65536 << 65535 << "the clipboard holds 65536 steps, more than the 65535 rows of a table";
}

// Blank lines at the end are no steps and do not count.
void tst_steptext::rowLimit()
{
    QFETCH(int, lines);
    QFETCH(int, room);
    QFETCH(QString, reason);
    const QString text = QString("1\t2\n").repeated(lines) + "\n\n";
    const stepText::readResult read = stepText::read(text, 3, room);
    QCOMPARE(read.error, reason);
    QCOMPARE(read.rows.size(), reason.isEmpty() ? lines : 0);
}

void tst_steptext::pasteRefusalChangesNothing_data()
{
    QTest::addColumn<int>("before"); // rows in the table
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");

    QTest::newRow("bad field") << 2 << "1\t2\n3\t-4"
                               << kNotNumber.arg(2).arg("fade", "-4").arg(255);
    QTest::newRow("fills the table") << 65533 << "1\t2\n3\t4" << QString();
    QTest::newRow("one past the table")
        << 65534 << "1\t2\n3\t4"
        << "the clipboard holds 2 steps, with the 65534 in the table more than the 65535 rows "
           "of a table";
}

void tst_steptext::pasteRefusalChangesNothing()
{
    QFETCH(int, before);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    // The model tester walks a table of tens of thousands of rows for seconds.
    if (before > 1000)
        coreFixture::stopModelChecks();
    for (int r = 0; r < before; ++r)
        coreModel()->stepsForWriting().append(StepRow(3));
    dmxFile files;
    QCOMPARE(files.pasteSteps(text, 1), reason.isEmpty() ? 2 : -1);
    QCOMPARE(files.lastError(), reason);
    QCOMPARE(coreModel()->rowCount(), before + (reason.isEmpty() ? 2 : 0));
    if (reason.isEmpty())
        QCOMPARE(int(coreModel()->steps().cell(2, 1)), 3);
}

QTEST_GUILESS_MAIN(tst_steptext)
#include "tst_steptext.moc"
