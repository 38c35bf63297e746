#include "coretestsupport.h"

#include <QtTest>

class tst_dim : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void numbering();
    void levelWrite_data();
    void levelWrite();
    void flagsStoreZeroOrOne_data();
    void flagsStoreZeroOrOne();
};

void tst_dim::numbering()
{
    QCOMPARE(channel(0)->property("dimNum").toInt(), 1);
    QCOMPARE(channel(511)->property("dimNum").toInt(), 512);
    QCOMPARE(coreModel()->output()->channels().size(), 512);
    // run_flag is write-only: QML may set it but never read it back.
    const QMetaObject *mo = channel(0)->metaObject();
    const QMetaProperty p = mo->property(mo->indexOfProperty("run_flag"));
    QVERIFY(p.isWritable());
    QVERIFY(!p.isReadable());
}

void tst_dim::levelWrite_data()
{
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<bool>("runFlag");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("signals_");
    QTest::addColumn<int>("cell");
    QTest::addColumn<int>("resets");

    // Row 0 holds 9 in channel 5 before each write.
    QTest::newRow("writes cell and resets") << 0 << false << 0 << 200 << 1 << 200 << 1;
    QTest::newRow("same level does nothing") << 0 << false << 50 << 50 << 0 << 9 << 0;
    QTest::newRow("run flag keeps table") << 0 << true << 0 << 200 << 1 << 9 << 0;
    QTest::newRow("no current row") << -1 << false << 0 << 200 << 1 << 9 << 1;
}

void tst_dim::levelWrite()
{
    QFETCH(int, currentRow);
    QFETCH(bool, runFlag);
    QFETCH(int, start);
    QFETCH(int, value);
    QFETCH(int, signals_);
    QFETCH(int, cell);
    QFETCH(int, resets);

    tableRow row = appendRow();
    row[3 + 4] = 9;
    g_currentRow = currentRow;
    g_dimValue[4] = static_cast<uchar>(start);
    dim *d = channel(4);
    d->setProperty("run_flag", runFlag);
    QSignalSpy changed(d, &dim::dimValueChanged);
    QSignalSpy reset(coreModel(), &QAbstractItemModel::modelReset);
    d->setProperty("dimValue", value);
    QCOMPARE(int(g_dimValue[4]), value);
    QCOMPARE(changed.count(), signals_);
    QCOMPARE(int(row.at(3 + 4)), cell);
    QCOMPARE(reset.count(), resets);
    QCOMPARE(g_currentRow, currentRow);
}

void tst_dim::flagsStoreZeroOrOne_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("read");
    QTest::newRow("dimEn 7") << QByteArray("dimEn") << 7 << 1;
    QTest::newRow("dimEn 0") << QByteArray("dimEn") << 0 << 0;
    QTest::newRow("dimLinkage 255") << QByteArray("dimLinkage") << 255 << 1;
    QTest::newRow("dimLinkage 0") << QByteArray("dimLinkage") << 0 << 0;
}

void tst_dim::flagsStoreZeroOrOne()
{
    QFETCH(QByteArray, name);
    QFETCH(int, written);
    QFETCH(int, read);
    dim *d = channel(10);
    QSignalSpy en(d, &dim::dimEnChanged);
    QSignalSpy link(d, &dim::dimLinkageChanged);
    QVERIFY(d->setProperty(name, written));
    QCOMPARE(d->property(name).toInt(), read);
    QCOMPARE(en.count() + link.count(), 0);
}

QTEST_GUILESS_MAIN(tst_dim)
#include "tst_dim.moc"
