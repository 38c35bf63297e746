#include "steptable.h"

#include <QTest>

#include <cstdlib>

class tst_steptable : public QObject
{
    Q_OBJECT
  private slots:
    void editsClampAndWiden_data();
    void editsClampAndWiden();
    void blocksKeepTheirRows_data();
    void blocksKeepTheirRows();
    void memoryFollowsTheData();
    void blocksAgreeWithRows_data();
    void blocksAgreeWithRows();
};

namespace
{
// Row r: speed r, fade 2r, level of channel c r + c, over `channels` channels.
stepTable numbered(int rows, int channels)
{
    stepTable table;
    QByteArray levels(channels, '\0');
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < channels; ++c)
            levels[c] = char(r + c + 1);
        table.append(quint16(r), quint16(2 * r),
                     reinterpret_cast<const uchar *>(levels.constData()), channels);
    }
    return table;
}

QList<int> speeds(const stepTable &table)
{
    QList<int> out;
    for (int r = 0; r < table.size(); ++r)
        out << table.speed(r);
    return out;
}
} // namespace

void tst_steptable::editsClampAndWiden_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("channels"); // the width afterwards, from 4

    QTest::newRow("level inside") << 4 << 200 << 200 << 4;
    QTest::newRow("level over a byte") << 5 << 300 << 255 << 4;
    QTest::newRow("negative level") << 5 << -3 << 0 << 4;
    QTest::newRow("zero past the width widens nothing") << 100 << 0 << 0 << 4;
    QTest::newRow("level past the width") << 100 << 9 << 9 << 112;
    QTest::newRow("channel 16 widens to 16") << 18 << 9 << 9 << 16;
    QTest::newRow("channel 17 widens to 32") << 19 << 9 << 9 << 32;
    QTest::newRow("last channel") << 514 << 1 << 1 << 512;
    QTest::newRow("past the universe") << 515 << 1 << 0 << 4;
    QTest::newRow("speed at its top") << 1 << 65535 << 65535 << 4;
    QTest::newRow("fade over its top") << 2 << 70000 << 65535 << 4;
    QTest::newRow("the number is the position") << 0 << 9 << 1 << 4;
}

void tst_steptable::editsClampAndWiden()
{
    QFETCH(int, column);
    QFETCH(int, value);
    QFETCH(int, stored);
    QFETCH(int, channels);
    stepTable table = numbered(3, 4);
    const StepRow before = table.row(0);
    table.setCell(1, column, value);
    QCOMPARE(int(table.cell(1, column)), stored);
    QCOMPARE(table.channels(), channels);
    QCOMPARE(table.row(0), before);
    QCOMPARE(int(table.cell(2, 3)), 3);
}

void tst_steptable::blocksKeepTheirRows_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("to");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("down") << 0 << 2 << 3 << QList<int>{2, 3, 4, 0, 1};
    QTest::newRow("up") << 3 << 1 << 0 << QList<int>{3, 0, 1, 2, 4};
    QTest::newRow("all") << 0 << 5 << 0 << QList<int>{0, 1, 2, 3, 4};
}

// Moves, and blocks taken out and put back into a table of another width, keep every cell.
void tst_steptable::blocksKeepTheirRows()
{
    QFETCH(int, from);
    QFETCH(int, count);
    QFETCH(int, to);
    QFETCH(QList<int>, order);
    stepTable table = numbered(5, 8);
    table.move(from, count, to);
    QCOMPARE(speeds(table), order);
    for (int r = 0; r < 5; ++r)
        QCOMPARE(int(table.level(r, 7)), order.at(r) + 8);

    stepTable block = table.take(1, 2);
    stepTable wide = numbered(2, 40);
    wide.insert(1, block);
    QCOMPARE(wide.channels(), 40);
    QCOMPARE(speeds(wide), (QList<int>{0, order.at(1), order.at(2), 1}));
    QCOMPARE(int(wide.level(1, 7)), order.at(1) + 8);
    QCOMPARE(int(wide.level(1, 8)), 0);
    table.insert(1, wide.take(1, 2));
    QCOMPARE(speeds(table), order);
    QCOMPARE(table.channels(), 40);
}

// Rows without levels cost their speed and fade; a copy shares them until it is written.
void tst_steptable::memoryFollowsTheData()
{
    stepTable timing;
    timing.reserve(60000);
    for (int r = 0; r < 60000; ++r)
        timing.append(1, 2, nullptr, 0);
    QCOMPARE(timing.bytes(), qint64(60000 * 4));
    stepTable levels = numbered(1000, 512);
    QVERIFY(levels.bytes() < 1000 * 516 * 5 / 4);
    const stepTable copy = levels;
    levels.setCell(0, 1, 9);
    QCOMPARE(int(copy.speed(0)), 0);
}

void tst_steptable::blocksAgreeWithRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("channels");
    const int block = stepTable::kBlockRows;
    QTest::newRow("under a block") << block - 3 << 5;
    QTest::newRow("blocks and a part") << 3 * block + 7 << 17;
    QTest::newRow("no levels") << block + 1 << 0;
}

// Random row operations across block edges give the cells a plain list of rows gives, and a
// copy taken before them keeps its own.
void tst_steptable::blocksAgreeWithRows()
{
    QFETCH(int, rows);
    QFETCH(int, channels);
    stepTable table = numbered(rows, channels);
    QVector<StepRow> plain;
    for (int r = 0; r < rows; ++r)
        plain << table.row(r);
    const stepTable copy = table;
    const QVector<StepRow> copied = plain;
    std::srand(uint(rows));
    for (int i = 0; i < 60; ++i) {
        const int at = std::rand() % (plain.size() + 1);
        const int count = 1 + std::rand() % (stepTable::kBlockRows + 2);
        switch (std::rand() % 3) {
        case 0: // a level written, past the width now and then
            if (at < plain.size()) {
                const int column = 3 + std::rand() % (channels + 20);
                table.setCell(at, column, i + 1);
                plain[at][column] = quint16(i + 1);
            }
            break;
        case 1: {
            const uchar levels[2] = {uchar(i), uchar(2 * i)};
            table.insert(at, count, quint16(i), 1, levels, 2);
            StepRow one(3 + stepTable::kMaxChannels, 0);
            one[1] = quint16(i), one[2] = 1, one[3] = quint16(i), one[4] = quint16(2 * i);
            plain.insert(at, count, one);
            break;
        }
        default: { // a block taken out and put back further on
            const int taken = qMin(count, plain.size() - at);
            const stepTable block = table.take(at, taken);
            const QVector<StepRow> moved = plain.mid(at, taken);
            plain.remove(at, taken);
            const int to = qMin(at + stepTable::kBlockRows / 2, plain.size());
            table.insert(to, block);
            plain.insert(to, taken, StepRow());
            std::copy(moved.cbegin(), moved.cend(), plain.begin() + to);
        }
        }
    }
    QCOMPARE(table.size(), plain.size());
    for (int r = 0; r < plain.size(); ++r) {
        plain[r][0] = quint16(r);
        QCOMPARE(table.row(r), plain.at(r));
    }
    for (int r = 0; r < copied.size(); ++r)
        QCOMPARE(copy.row(r), copied.at(r));
}

QTEST_GUILESS_MAIN(tst_steptable)
#include "tst_steptable.moc"
