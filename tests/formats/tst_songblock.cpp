#include "dmxformat.h"
#include "songblock.h"

#include <QBuffer>
#include <QtTest>

Q_DECLARE_METATYPE(songLink)

namespace
{
// A show of one row and two built-in fixtures, with the song given.
showData showWith(const songLink &song)
{
    showData show;
    show.flags = QByteArray("\x01\x00\x01", 3);
    show.rows.append(StepRow{0, 10, 2, 200, 20, 0});
    show.fixtures = QByteArray("\x03\x07", 2);
    show.song = song;
    return show;
}

QByteArray written(const showData &show)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    return dmxFormat::write(out, show) ? out.data() : QByteArray();
}

dmxFormat::readResult read(QByteArray bytes)
{
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    return dmxFormat::read(in, 6, 0);
}

// A path of 16 bytes: the offsets below count on it.
const songLink kClicks{
    QStringLiteral("music/clicks.wav"), 25000, 120, 2000, false, false, {2000, 2500}};
} // namespace

class tst_songblock : public QObject
{
    Q_OBJECT

  private slots:
    void roundTrips_data();
    void roundTrips();
    void damagedBlocks_data();
    void damagedBlocks();
    void paths();
};

void tst_songblock::roundTrips_data()
{
    QTest::addColumn<songLink>("song");
    QTest::addColumn<bool>("fixtures");

    QTest::newRow("no song") << songLink() << true;
    QTest::newRow("after the fixtures") << kClicks << true;
    QTest::newRow("right after the rows") << kClicks << false;
    QTest::newRow("set by hand, absolute")
        << songLink{QStringLiteral("/home/林/音乐/歌.flac"), 25000, 127.95, 13.5, true, true, {}}
        << true;
}

// The rows and fixtures read as before, and the song as written; no song writes no block.
void tst_songblock::roundTrips()
{
    QFETCH(songLink, song);
    QFETCH(bool, fixtures);
    showData show = showWith(song);
    show.fixtures = fixtures ? show.fixtures : QByteArray();
    const QByteArray bytes = written(show);
    QCOMPARE(bytes.contains("SONGLINK"), !song.path.isEmpty());
    const dmxFormat::readResult back = read(bytes);
    QVERIFY(back.error.isEmpty() && !back.fixturesDamaged && !back.songDamaged);
    QCOMPARE(back.show.rows.size(), 1);
    QCOMPARE(back.show.fixtures, show.fixtures);
    QVERIFY(back.show.song == song);
}

void tst_songblock::damagedBlocks_data()
{
    QTest::addColumn<int>("cut"); // bytes taken off the file's end
    QTest::addColumn<int>("at");  // offset in the block of the bytes written over it
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cut in its tag") << 74 << 0 << QByteArray();
    QTest::newRow("one byte short") << 1 << 0 << QByteArray();
    QTest::newRow("later version") << 0 << 12 << QByteArray("\x02");
    QTest::newRow("unknown flag") << 0 << 13 << QByteArray("\x04");
    QTest::newRow("path longer than the block") << 0 << 14 << QByteArray("\x7f\xff");
    QTest::newRow("tempo not a number") << 0 << 40 << QByteArray::fromHex("7ff8000000000000");
    QTest::newRow("more beats than bytes") << 0 << 56 << QByteArray::fromHex("00000003");
    QTest::newRow("beats out of order") << 0 << 68 << QByteArray::fromHex("407f400000000000");
    QTest::newRow("garbage") << 0 << 12 << QByteArray(64, '\xa5');
}

// A damaged song block is refused as a block: the rows and fixtures before it still load.
void tst_songblock::damagedBlocks()
{
    QFETCH(int, cut);
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    const QByteArray whole = written(showWith(kClicks));
    const int block = whole.indexOf("SONGLINK");
    QCOMPARE(whole.size() - block, 76);
    QByteArray damaged = whole.left(whole.size() - cut);
    damaged.replace(block + at, bytes.size(), bytes);

    const dmxFormat::readResult back = read(damaged);
    QVERIFY(back.error.isEmpty() && back.songDamaged && !back.fixturesDamaged);
    QVERIFY(back.show.song == songLink());
    QCOMPARE(back.show.fixtures, QByteArray("\x03\x07", 2));
    QCOMPARE(back.show.rows.cell(0, 3), quint16(200));
}

// Relative where the song moves with the show's folder, absolute where it cannot.
void tst_songblock::paths()
{
    const QString show = QStringLiteral("/shows/set.dmx");
    const QStringList songs{"/shows/a.wav", "/shows/music/../music/a.wav", "/home/music/a.wav"};
    const QStringList kept{"a.wav", "music/a.wav", "/home/music/a.wav"};
    for (int i = 0; i < songs.size(); ++i) {
        QCOMPARE(songBlock::linkPath(songs.at(i), show), kept.at(i));
        QCOMPARE(songBlock::songFile(kept.at(i), show), QDir::cleanPath(songs.at(i)));
    }
}

QTEST_GUILESS_MAIN(tst_songblock)
#include "tst_songblock.moc"
