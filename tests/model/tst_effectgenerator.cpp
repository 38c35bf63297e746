#include "effectgenerator.h"

#include <QTest>

#include <QSet>

#include <algorithm>

using namespace effectGenerator;

Q_DECLARE_METATYPE(effectGenerator::params)

class tst_effectgenerator : public QObject
{
    Q_OBJECT
  private slots:
    void shapes_data();
    void shapes();
    void spreadChases_data();
    void spreadChases();
    void seedNamesThePattern();
    void clampsAndSaysSo_data();
    void clampsAndSaysSo();
    void largeRangesKeepTheirEnds();
};

namespace
{
params made(int form, int a, int b)
{
    params p;
    p.shape = form;
    p.a = a;
    p.b = b;
    return p;
}

QVector<int> column(const result &r, int targets, int target)
{
    QVector<int> out;
    for (int i = target; i < r.values.size(); i += targets)
        out << r.values.at(i);
    return out;
}
} // namespace

void tst_effectgenerator::shapes_data()
{
    QTest::addColumn<params>("p");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QVector<int>>("expected");

    QTest::newRow("constant") << made(constant, 7, 200) << 3 << QVector<int>{7, 7, 7};
    QTest::newRow("ramp up") << made(ramp, 0, 255) << 4 << QVector<int>{0, 85, 170, 255};
    QTest::newRow("ramp down") << made(ramp, 200, 0) << 3 << QVector<int>{200, 100, 0};
    QTest::newRow("ramp one row") << made(ramp, 10, 90) << 1 << QVector<int>{10};
    params in = made(ramp, 0, 100);
    in.easing = easeIn;
    QTest::newRow("ramp eased in") << in << 3 << QVector<int>{0, 25, 100};
    params out = made(ramp, 0, 100);
    out.easing = easeOut;
    QTest::newRow("ramp eased out") << out << 3 << QVector<int>{0, 75, 100};
    QTest::newRow("sine") << made(sine, 0, 200) << 4 << QVector<int>{0, 100, 200, 100};
    QTest::newRow("triangle") << made(triangle, 0, 100) << 4 << QVector<int>{0, 50, 100, 50};
    QTest::newRow("square") << made(square, 10, 20) << 4 << QVector<int>{10, 10, 20, 20};
    QTest::newRow("saw") << made(saw, 0, 100) << 4 << QVector<int>{0, 25, 50, 75};
    params twice = made(saw, 0, 100);
    twice.cycles = 2;
    QTest::newRow("two cycles") << twice << 4 << QVector<int>{0, 50, 0, 50};
    params late = made(triangle, 0, 100);
    late.phase = 0.5;
    QTest::newRow("half a cycle on") << late << 4 << QVector<int>{100, 50, 0, 50};
    params names = made(named, 0, 0);
    names.values = {0, 32, 64};
    QTest::newRow("named in order, repeated") << names << 5 << QVector<int>{0, 32, 64, 0, 32};
    params none = made(named, 0, 0);
    QTest::newRow("named without values") << none << 2 << QVector<int>{0, 0};
}

void tst_effectgenerator::shapes()
{
    QFETCH(params, p);
    QFETCH(int, rows);
    QFETCH(QVector<int>, expected);
    const result r = generate(p, rows, 1, 255);
    QCOMPARE(r.values, expected);
    QVERIFY(!r.clamped);
}

void tst_effectgenerator::spreadChases_data()
{
    QTest::addColumn<params>("p");
    QTest::addColumn<int>("target");
    QTest::addColumn<QVector<int>>("expected");

    // Four projectors a quarter cycle apart: each runs one step of four behind the last.
    params saws = made(saw, 0, 100);
    saws.spread = 0.25;
    QTest::newRow("saw, first") << saws << 0 << QVector<int>{0, 25, 50, 75};
    QTest::newRow("saw, second") << saws << 1 << QVector<int>{75, 0, 25, 50};
    QTest::newRow("saw, fourth") << saws << 3 << QVector<int>{25, 50, 75, 0};
    params ramps = made(ramp, 0, 90);
    ramps.spread = 1.0 / 3.0;
    QTest::newRow("ramp starts later") << ramps << 1 << QVector<int>{60, 0, 30, 60};
    params names = made(named, 0, 0);
    names.values = {1, 2, 3, 4};
    names.spread = 0.25;
    QTest::newRow("named one behind") << names << 1 << QVector<int>{4, 1, 2, 3};
}

void tst_effectgenerator::spreadChases()
{
    QFETCH(params, p);
    QFETCH(int, target);
    QFETCH(QVector<int>, expected);
    QCOMPARE(column(generate(p, 4, 4, 255), 4, target), expected);
}

void tst_effectgenerator::seedNamesThePattern()
{
    params p = made(effectGenerator::random, 10, 20);
    p.seed = 4711;
    const result first = generate(p, 64, 2, 255);
    QCOMPARE(generate(p, 64, 2, 255).values, first.values);
    for (int v : first.values)
        QVERIFY(v >= 10 && v <= 20);
    const QVector<int> drawn = column(first, 2, 0);
    QVERIFY(QSet<int>(drawn.begin(), drawn.end()).size() > 5);
    p.seed = 4712;
    QVERIFY(generate(p, 64, 2, 255).values != first.values);
    // Spread shifts the one pattern instead of drawing another.
    p.spread = 0.5;
    const result chased = generate(p, 64, 2, 255);
    const QVector<int> a = column(chased, 2, 0);
    const QVector<int> b = column(chased, 2, 1);
    QCOMPARE(b.mid(32), a.mid(0, 32));
}

void tst_effectgenerator::clampsAndSaysSo_data()
{
    QTest::addColumn<params>("p");
    QTest::addColumn<int>("top");
    QTest::addColumn<QVector<int>>("expected");
    QTest::addColumn<bool>("clamped");

    QTest::newRow("level over 255")
        << made(ramp, 200, 300) << 255 << QVector<int>{200, 250, 255} << true;
    QTest::newRow("below 0") << made(ramp, -20, 20) << 255 << QVector<int>{0, 0, 20} << true;
    QTest::newRow("speed within its cap")
        << made(constant, 12000, 0) << 9999 << QVector<int>{9999, 9999, 9999} << true;
    QTest::newRow("fits") << made(ramp, 0, 9999) << 9999 << QVector<int>{0, 5000, 9999} << false;
}

void tst_effectgenerator::clampsAndSaysSo()
{
    QFETCH(params, p);
    QFETCH(int, top);
    QFETCH(QVector<int>, expected);
    QFETCH(bool, clamped);
    const result r = generate(p, 3, 1, top);
    QCOMPARE(r.values, expected);
    QCOMPARE(r.clamped, clamped);
}

void tst_effectgenerator::largeRangesKeepTheirEnds()
{
    params p = made(ramp, 0, 255);
    const result r = generate(p, 10000, 64, 255);
    QCOMPARE(r.values.size(), 10000 * 64);
    QCOMPARE(r.values.first(), 0);
    QCOMPARE(r.values.last(), 255);
    const QVector<int> first = column(r, 64, 0);
    QVERIFY(std::is_sorted(first.begin(), first.end()));
    p.shape = sine;
    p.cycles = 10;
    const QVector<int> wave = column(generate(p, 10000, 1, 255), 1, 0);
    QCOMPARE(wave.at(500), 255);
    QCOMPARE(wave.at(1000), 0);
}

QTEST_GUILESS_MAIN(tst_effectgenerator)
#include "tst_effectgenerator.moc"
