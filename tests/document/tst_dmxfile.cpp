#include "clicktrack.h"
#include "coretestsupport.h"
#include "dmxfile.h"
#include "dmxformat.h"
#include "songblock.h"
#include "songstate.h"

#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace
{
const QString kDmxFilter = QStringLiteral("Dmx files (*.dmx )");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), qint64(bytes.size()));
}

// A show file put together by hand; records are speed, fade and the channel bytes.
struct ShowBytes {
    QByteArray tag = QByteArray("QX", 2) + QByteArray(8, '\0');
    qint8 version = 1;
    qint32 channels = 0;
    qint32 rows = 0;
    QByteArray flags;
    QByteArray records;

    QByteArray bytes() const
    {
        QByteArray out;
        QDataStream s(&out, QIODevice::WriteOnly);
        s.writeRawData(tag.constData(), tag.size());
        s.writeRawData("DMX512\0\0\0\0", 10);
        s << version << channels << rows;
        s.writeRawData(flags.constData(), flags.size());
        s.writeRawData(records.constData(), records.size());
        return out;
    }
};

QByteArray record(quint16 speed, quint16 fade, const QByteArray &levels)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s << speed << fade;
    return out + levels;
}

// Signal counts of the first channels, to see one dimEnChanged() per flag read.
struct FlagSpies {
    QList<QSignalSpy *> spies;
    explicit FlagSpies(int count)
    {
        for (int i = 0; i < count; ++i)
            spies << new QSignalSpy(channel(i), &dim::dimEnChanged);
    }
    ~FlagSpies() { qDeleteAll(spies); }
    QList<int> counts() const
    {
        QList<int> out;
        for (auto *s : spies)
            out << s->count();
        return out;
    }
};

} // namespace

class tst_dmxfile : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup() { dropCore(); }
    void goldenBytes();
    void saveNames_data();
    void saveNames();
    void roundTrip();
    void appendsAfterExistingRows();
    void emptyTableAndNoChannels_data();
    void emptyTableAndNoChannels();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void tagWithOtherBytesAccepted();
    void channelsAbove512_data();
    void channelsAbove512();
    void loadWithoutReading_data();
    void loadWithoutReading();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void fullFileSystemKeepsOldFile();
    void saveFailuresNameThePath_data();
    void saveFailuresNameThePath();
    void showPastTheRowLimitIsNotSaved();
    void fixtureBlock_data();
    void fixtureBlock();
    void refusalReasons_data();
    void refusalReasons();
    void formatCutAnywhere();
    void formatRowShape_data();
    void formatRowShape();
    void formatRowLimit_data();
    void formatRowLimit();
    void tableRowLimit_data();
    void tableRowLimit();
    void songTravelsWithTheShow_data();
    void songTravelsWithTheShow();

  private:
    QString pathOf(const QString &name) const { return m_dir->filePath(name); }
    QUrl urlOf(const QString &name) const { return QUrl::fromLocalFile(pathOf(name)); }

    QScopedPointer<QTemporaryDir> m_dir;
    dmxFile m_files;
};

void tst_dmxfile::init()
{
    freshCore();
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_dmxfile::goldenBytes()
{
    channel(0)->setDimEn(true);
    channel(2)->setDimEn(true);
    channel(3)->setDimEn(true);
    channel(4)->setDimEn(true); // beyond the last level: not stored
    tableRow first = appendRow(0x0102, 0x0304);
    first[3] = 10;
    first[4] = 300; // a level is a byte: kept as full, not as its low byte
    first[5] = 255;
    first[6] = 77; // beyond the fixtures' 3 channels, set by hand: kept
    tableRow second = appendRow(40000, 0);
    second[3] = 1;
    second[4] = 2;
    second[5] = 3;

    QVERIFY(m_files.saveData(urlOf("show"), 3, 0, 1, kDmxFilter));
    const QByteArray expected = QByteArray::fromHex("5158 0000000000000000"
                                                    "444d5835 3132 00000000"
                                                    "01 00000004 00000002"
                                                    "01 00 01 01"
                                                    "0102 0304 0a ff ff 4d"
                                                    "9c40 0000 01 02 03 00");
    QCOMPARE(readAll(pathOf("show.dmx")).toHex(' '), expected.toHex(' '));
}

void tst_dmxfile::saveNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("written"); // empty: nothing may be written

    QTest::newRow("extension added") << "show" << kDmxFilter << "show.dmx";
    QTest::newRow("extension kept") << "show.dmx" << kDmxFilter << "show.dmx";
    QTest::newRow("upper case is not the extension") << "show.DMX" << kDmxFilter << "show.DMX.dmx";
    QTest::newRow("c filter") << "show"
                              << "Dmx-c files (*.c )"
                              << "show.c";
    QTest::newRow("c tested first") << "show"
                                    << "All (*.dmx *.c)"
                                    << "show.c";
    QTest::newRow("typed .dmx under the c filter") << "trap.dmx"
                                                   << "Dmx-c files (*.c )"
                                                   << "trap.dmx";
    QTest::newRow("typed .c under the show filter") << "trap.c" << kDmxFilter << "trap.c";
    QTest::newRow("unknown filter") << "show"
                                    << "Text (*.txt)"
                                    << "";
}

void tst_dmxfile::saveNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, filter);
    QFETCH(QString, written);
    appendRow(1, 2, 3);

    QCOMPARE(m_files.saveData(urlOf(chosen), 4, 0, 0, filter), !written.isEmpty());
    const QStringList files = QDir(m_dir->path()).entryList(QDir::Files);
    QCOMPARE(files, written.isEmpty() ? QStringList() : QStringList{written});
}

void tst_dmxfile::roundTrip()
{
    channel(0)->setDimEn(true);
    channel(299)->setDimEn(true);
    tableRow row = appendRow(40000, 65535);
    row[3 + 299] = 300;
    row[3 + 511] = 255;
    QVERIFY(m_files.saveData(urlOf("trip.dmx"), 512, 0, 0, kDmxFilter));
    QCOMPARE(readAll(pathOf("trip.dmx")).size(), 29 + 512 + 516);

    freshCore();
    channel(1)->setDimEn(true); // cleared by the file
    FlagSpies spies(512);
    QCOMPARE(m_files.loadData(urlOf("trip.dmx")), 512);
    QCOMPARE(coreModel()->rowCount(), 1);
    const StepRow back = coreModel()->steps().row(0);
    QCOMPARE(back.size(), 515);
    QCOMPARE(int(back[0]), 0);
    QCOMPARE(int(back[1]), 40000);
    QCOMPARE(int(back[2]), 65535);
    QCOMPARE(int(back[3 + 299]), 255);
    QCOMPARE(int(back[3 + 511]), 255);
    QCOMPARE(int(back[3]), 0);
    QCOMPARE(flags(3), (QList<int>{1, 0, 0}));
    QCOMPARE(int(channel(299)->dimEn()), 1);
    QCOMPARE(spies.counts(), QList<int>() << QVector<int>(512, 1).toList());
    QCOMPARE(coreModel()->playEnd(), 0);
}

void tst_dmxfile::appendsAfterExistingRows()
{
    for (int i = 0; i < 3; ++i)
        appendRow(10 + i, 20 + i, 100 + i);
    QVERIFY(m_files.saveData(urlOf("three"), 8, 0, 2, kDmxFilter));

    freshCore();
    for (int i = 0; i < 5; ++i)
        appendRow(1, 1, 1);
    // Every channel holds a level, so every channel was written, whatever the fixtures.
    QCOMPARE(m_files.loadData(urlOf("three.dmx")), 512);
    QCOMPARE(coreModel()->rowCount(), 8);
    for (int r = 0; r < 5; ++r)
        QCOMPARE(int(coreModel()->steps().cell(r, 1)), 1);
    for (int k = 0; k < 3; ++k) {
        const StepRow row = coreModel()->steps().row(5 + k);
        QCOMPARE(int(row[0]), 5 + k);
        QCOMPARE(int(row[1]), 10 + k);
        QCOMPARE(int(row[2]), 20 + k);
        QCOMPARE(int(row[3 + 7]), 100 + k);
        QCOMPARE(int(row[3 + 511]), 100 + k);
    }
    QCOMPARE(coreModel()->playEnd(), 7);
}

void tst_dmxfile::emptyTableAndNoChannels_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("size");

    QTest::newRow("empty table") << 0 << 5 << 29 + 5;
    QTest::newRow("col 0") << 2 << 0 << 29 + 2 * 4;
    QTest::newRow("negative col saves none") << 1 << -7 << 29 + 4;
    QTest::newRow("col 514 clamped to 512") << 1 << 514 << 29 + 512 + 516;
}

void tst_dmxfile::emptyTableAndNoChannels()
{
    QFETCH(int, rows);
    QFETCH(int, col);
    QFETCH(int, size);
    for (int i = 0; i < rows; ++i)
        appendRow(7, 8);
    channel(0)->setDimEn(true);
    channel(4)->setDimEn(true);
    QVERIFY(m_files.saveData(urlOf("s.dmx"), col, 0, 0, kDmxFilter));
    QCOMPARE(readAll(pathOf("s.dmx")).size(), size);

    freshCore();
    channel(2)->setDimEn(true);
    const int expectedC = qBound(0, col, 512);
    QCOMPARE(m_files.loadData(urlOf("s.dmx")), expectedC);
    QCOMPARE(coreModel()->rowCount(), rows);
    QCOMPARE(coreModel()->playEnd(), rows - 1);
    if (expectedC == 0) {
        QCOMPARE(flags(5), (QList<int>{0, 0, 1, 0, 0}));
    } else {
        QCOMPARE(flags(5), (QList<int>{1, 0, 0, 0, 1}));
    }
    for (int r = 0; r < rows; ++r) {
        QCOMPARE(int(coreModel()->steps().cell(r, 1)), 7);
        QCOMPARE(int(coreModel()->steps().cell(r, 2)), 8);
    }
}

void tst_dmxfile::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");

    ShowBytes good;
    good.channels = 2;
    good.rows = 2;
    good.flags = QByteArray("\1\1", 2);
    good.records = record(1, 2, "ab") + record(3, 4, "cd");

    ShowBytes v2 = good;
    v2.version = 2;
    ShowBytes wrongTag = good;
    wrongTag.tag[1] = 'Y';
    ShowBytes noZero = good;
    noZero.tag[2] = 'x';
    ShowBytes oneRecordShort = good;
    oneRecordShort.records.chop(1);
    ShowBytes hugeChannels = good;
    hugeChannels.channels = INT_MAX;
    ShowBytes hugeRows = good;
    hugeRows.rows = INT_MAX;
    ShowBytes bothHuge = good;
    bothHuge.channels = INT_MAX;
    bothHuge.rows = INT_MAX;
    ShowBytes negativeChannels = good;
    negativeChannels.channels = -2;
    ShowBytes negativeRows = good;
    negativeRows.rows = -1;

    QTest::newRow("version 2") << v2.bytes();
    QTest::newRow("wrong tag") << wrongTag.bytes();
    QTest::newRow("no zero after QX") << noZero.bytes();
    QTest::newRow("shorter than the version") << good.bytes().left(20);
    QTest::newRow("counts cut off") << good.bytes().left(27);
    QTest::newRow("last record cut short") << oneRecordShort.bytes();
    QTest::newRow("flags cut short") << good.bytes().left(30);
    QTest::newRow("huge channel count") << hugeChannels.bytes();
    QTest::newRow("huge row count") << hugeRows.bytes();
    QTest::newRow("both counts huge") << bothHuge.bytes();
    QTest::newRow("negative channel count") << negativeChannels.bytes();
    QTest::newRow("negative row count") << negativeRows.bytes();
    QTest::newRow("empty file") << QByteArray();
}

void tst_dmxfile::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, bytes);
    writeAll(pathOf("bad.dmx"), bytes);
    for (int i = 0; i < 4; ++i)
        appendRow(5, 5, 5);
    coreModel()->setPlayEnd(1);
    channel(1)->setDimEn(true);
    FlagSpies spies(3);

    QCOMPARE(m_files.loadData(urlOf("bad.dmx")), 0);
    QCOMPARE(coreModel()->rowCount(), 4);
    QCOMPARE(coreModel()->playEnd(), 1);
    QCOMPARE(flags(3), (QList<int>{0, 1, 0}));
    QCOMPARE(spies.counts(), (QList<int>{0, 0, 0}));
    QVERIFY(!m_files.lastError().isEmpty());
}

void tst_dmxfile::tagWithOtherBytesAccepted()
{
    ShowBytes file;
    file.tag = QByteArray("QX\0garbage", 10);
    file.channels = 1;
    file.rows = 1;
    file.flags = QByteArray("\1", 1);
    file.records = record(9, 8, "\7");
    writeAll(pathOf("odd.dmx"), file.bytes());
    QCOMPARE(m_files.loadData(urlOf("odd.dmx")), 1);
    QCOMPARE(coreModel()->rowCount(), 1);
    QCOMPARE(int(coreModel()->steps().cell(0, 3)), 7);
}

void tst_dmxfile::channelsAbove512_data()
{
    QTest::addColumn<int>("channels");
    QTest::newRow("513") << 513;
    QTest::newRow("514, written by older versions") << 514;
}

void tst_dmxfile::channelsAbove512()
{
    QFETCH(int, channels);
    ShowBytes file;
    file.channels = channels;
    file.rows = 2;
    file.flags = QByteArray(channels, '\1');
    QByteArray levels(channels, '\2');
    levels[511] = '\x33';
    levels[512] = '\x44'; // no channel 513: skipped
    file.records = record(100, 1, levels) + record(200, 2, levels);
    writeAll(pathOf("wide.dmx"), file.bytes());
    FlagSpies spies(512);

    QCOMPARE(m_files.loadData(urlOf("wide.dmx")), 512);
    QCOMPARE(coreModel()->rowCount(), 2);
    QCOMPARE(spies.counts(), QList<int>() << QVector<int>(512, 1).toList());
    for (int r = 0; r < 2; ++r) {
        const StepRow row = coreModel()->steps().row(r);
        QCOMPARE(row.size(), 515);
        QCOMPARE(int(row[1]), 100 * (r + 1));
        QCOMPARE(int(row[2]), r + 1);
        QCOMPARE(int(row[3]), 2);
        QCOMPARE(int(row[514]), 0x33);
    }
}

void tst_dmxfile::loadWithoutReading_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("upper-case extension") << "show.DMX";
    QTest::newRow("missing file") << "none.dmx";
    QTest::newRow("directory") << "dir.dmx";
}

void tst_dmxfile::loadWithoutReading()
{
    QFETCH(QString, name);
    appendRow(1, 1, 1);
    QVERIFY(m_files.saveData(urlOf("show.DMX"), 4, 0, 0, kDmxFilter));
    QVERIFY(QFile::rename(pathOf("show.DMX.dmx"), pathOf("show.DMX")));
    QVERIFY(QDir(m_dir->path()).mkdir("dir.dmx"));
    appendRow(2, 2, 2);
    coreModel()->setPlayEnd(0);

    QCOMPARE(m_files.loadData(urlOf(name)), 0);
    QCOMPARE(coreModel()->rowCount(), 2);
    QCOMPARE(coreModel()->playEnd(), 1);
}

void tst_dmxfile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("parentIsFile");
    QTest::addColumn<QString>("filter");
    QTest::newRow("parent is a file, show file") << true << kDmxFilter;
    QTest::newRow("parent is a file, c file") << true << "Dmx-c files (*.c )";
    QTest::newRow("disk full, show file") << false << kDmxFilter;
    QTest::newRow("disk full, c file") << false << "Dmx-c files (*.c )";
}

// Root may write anywhere, so a failure is forced by a path under a regular file or by a
// file size limit that the new file runs into half way.
void tst_dmxfile::failedSaveKeepsOldFile()
{
    QFETCH(bool, parentIsFile);
    QFETCH(QString, filter);
    const QString extension = filter.contains("*.c") ? ".c" : ".dmx";
    const QString name = parentIsFile ? "plain/show" + extension : "show" + extension;
    writeAll(pathOf("plain"), "not a directory");
    if (!parentIsFile)
        writeAll(pathOf(name), "old contents");
    for (int i = 0; i < 20; ++i)
        appendRow(1, 2, 3);

    bool saved = true;
    if (parentIsFile) {
        saved = m_files.saveData(urlOf(name), 512, 0, 19, filter);
    } else {
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 2048;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        saved = m_files.saveData(urlOf(name), 512, 0, 19, filter);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
    }
    QVERIFY(!saved);
    if (parentIsFile) {
        QCOMPARE(readAll(pathOf("plain")), QByteArray("not a directory"));
    } else {
        QCOMPARE(readAll(pathOf(name)), QByteArray("old contents"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"plain", name}));
    }
}

void tst_dmxfile::saveFailuresNameThePath_data()
{
    QTest::addColumn<QString>("path"); // "@" is the test's folder
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("reason");

    for (const QString &filter : {kDmxFilter, QStringLiteral("Dmx-c files (*.c )")}) {
        const QString ending = filter == kDmxFilter ? ".dmx" : ".c";
        QTest::newRow(qPrintable("missing folder " + ending))
            << "@/none/show" + ending << filter << "No such file or directory";
        QTest::newRow(qPrintable("virtual file system " + ending))
            << "/proc/show" + ending << filter
            << "(/proc is on the virtual file system proc, which keeps no files)";
    }
}

// The path first, then the system's reason, and a word on folders that can hold no file.
void tst_dmxfile::saveFailuresNameThePath()
{
    QFETCH(QString, path);
    QFETCH(QString, filter);
    QFETCH(QString, reason);
    path.replace("@", m_dir->path());
    appendRow(1, 2, 3);
    QVERIFY(!m_files.saveData(QUrl::fromLocalFile(path), 4, 0, 0, filter));
    QVERIFY2(m_files.lastError().startsWith(path + ": "), qPrintable(m_files.lastError()));
    QVERIFY2(m_files.lastError().endsWith(reason), qPrintable(m_files.lastError()));
}

// A reader refuses it, so it is not written.
void tst_dmxfile::showPastTheRowLimitIsNotSaved()
{
    for (int r = 0; r < 65536; ++r)
        coreModel()->stepsForWriting().append(StepRow(3));
    QVERIFY(!m_files.saveData(urlOf("big.dmx"), 0, 0, 0, kDmxFilter));
    QCOMPARE(m_files.lastError(),
             pathOf("big.dmx") + ": the table has 65536 rows, more than the 65535 of a show");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
    coreModel()->stepsForWriting().take(65535, 1);
    QVERIFY(m_files.saveData(urlOf("big.dmx"), 0, 0, 0, kDmxFilter));
    QCOMPARE(readAll(pathOf("big.dmx")).size(), 29 + 65535 * 4);
}

// A real full file system; mounting needs root and a kernel that lets the test do it.
void tst_dmxfile::fullFileSystemKeepsOldFile()
{
    const QString mountPoint = pathOf("small");
    QVERIFY(QDir(m_dir->path()).mkdir("small"));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", mountPoint}) != 0)
        QSKIP("mounting a tmpfs is not permitted here");
    const QString show = mountPoint + "/show.dmx";
    writeAll(show, "old contents");
    for (int i = 0; i < 200; ++i)
        appendRow(1, 2, 3); // 200 records of 516 bytes: more than the 64 KiB left
    const bool saved = m_files.saveData(QUrl::fromLocalFile(show), 512, 0, 0, kDmxFilter);
    const QByteArray after = readAll(show);
    const QString reason = m_files.lastError();
    QProcess::execute("umount", {mountPoint});
    QVERIFY(!saved);
    QCOMPARE(after, QByteArray("old contents"));
    QVERIFY2(reason.contains("space", Qt::CaseInsensitive), qPrintable(reason));
}

// Reads a show file the way the format describes it: header, C flags, R records, then stops.
struct PlainShow {
    qint32 channels = -1;
    qint32 rows = -1;
    QByteArray flags;
    QList<QByteArray> records;
};

PlainShow readPlainShow(const QByteArray &file)
{
    PlainShow show;
    QDataStream in(file);
    QByteArray head(21, '\0');
    in.readRawData(head.data(), 21);
    in >> show.channels >> show.rows;
    show.flags.resize(show.channels);
    in.readRawData(show.flags.data(), show.channels);
    for (int r = 0; r < show.rows; ++r) {
        QByteArray rec(4 + show.channels, '\0');
        in.readRawData(rec.data(), rec.size());
        show.records << rec;
    }
    return show;
}

void tst_dmxfile::fixtureBlock_data()
{
    QTest::addColumn<QVariantList>("types");
    QTest::addColumn<QByteArray>("damage"); // replaces the block's bytes when not empty
    QTest::addColumn<QVariantList>("loaded");
    QTest::addColumn<bool>("damaged");

    const QVariantList three{0, 7, 26};
    QTest::newRow("no fixtures, no block")
        << QVariantList() << QByteArray() << QVariantList() << false;
    QTest::newRow("three fixtures") << three << QByteArray() << three << false;
    QTest::newRow("wrong tag") << three << QByteArray("FIXTUREZ\0\0\0\1\5", 13) << QVariantList()
                               << true;
    QTest::newRow("length past the end")
        << three << QByteArray("FIXTURES\0\0\0\7\5", 13) << QVariantList() << true;
    QTest::newRow("cut inside the head") << three << QByteArray("FIXTU") << QVariantList() << true;
    QTest::newRow("head one byte short")
        << three << QByteArray("FIXTURES\0\0\0", 11) << QVariantList() << true;
}

void tst_dmxfile::fixtureBlock()
{
    QFETCH(QVariantList, types);
    QFETCH(QByteArray, damage);
    QFETCH(QVariantList, loaded);
    QFETCH(bool, damaged);
    channel(1)->setDimEn(true);
    for (int r = 0; r < 3; ++r) {
        tableRow row = appendRow(quint16(r), quint16(2 * r));
        row[3 + 5] = quint16(100 + r);
    }
    m_files.setFixtureTypes(types);
    QVERIFY(m_files.saveData(urlOf("fix.dmx"), 8, 0, 0, kDmxFilter));
    QByteArray bytes = readAll(pathOf("fix.dmx"));
    const int plainSize = 29 + 8 + 3 * 12;
    QCOMPARE(bytes.size(), plainSize + (types.isEmpty() ? 0 : 12 + types.size()));
    if (!damage.isEmpty())
        writeAll(pathOf("fix.dmx"), bytes.left(plainSize) + damage);

    // A reader of the plain format sees the same counts, flags and rows.
    const PlainShow plain = readPlainShow(readAll(pathOf("fix.dmx")));
    QCOMPARE(plain.channels, 8);
    QCOMPARE(plain.rows, 3);
    QCOMPARE(plain.flags, QByteArray("\0\1\0\0\0\0\0\0", 8));
    QCOMPARE(plain.records.at(2), record(2, 4, QByteArray("\0\0\0\0\0f\0\0", 8)));

    freshCore();
    m_files.setFixtureTypes({});
    QCOMPARE(m_files.loadData(urlOf("fix.dmx")), 8);
    QCOMPARE(m_files.lastError(), QString());
    QCOMPARE(coreModel()->rowCount(), 3);
    QCOMPARE(int(coreModel()->steps().cell(2, 3 + 5)), 102);
    QCOMPARE(m_files.loadedFixtureTypes(), loaded);
    QCOMPARE(m_files.fixtureBlockDamaged(), damaged);
    if (damage.isEmpty()) {
        m_files.setFixtureTypes(m_files.loadedFixtureTypes());
        QVERIFY(m_files.saveData(urlOf("again.dmx"), 8, 0, 0, kDmxFilter));
        QCOMPARE(readAll(pathOf("again.dmx")), bytes);
    }
}

void tst_dmxfile::refusalReasons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");

    ShowBytes shortShow;
    shortShow.channels = 2;
    shortShow.rows = 3;
    shortShow.flags = "\1\1";
    QByteArray noise(4000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("short show") << "s.dmx" << shortShow.bytes()
                                << "damaged, shorter than its counts";
    QTest::newRow("empty show") << "e.dmx" << QByteArray() << "empty file";
    QTest::newRow("random bytes as .c")
        << "r.c" << noise
        << "not a C export: line 2 is no flag array (\"const unsigned char "
           "…_enChange[maxSendCh] = {\")";
    ShowBytes wide;
    wide.channels = 515;
    wide.rows = 1;
    wide.flags = QByteArray(515, '\1');
    wide.records = record(1, 2, QByteArray(515, '\3'));
    QTest::newRow("515 channels") << "w.dmx" << wide.bytes()
                                  << "has 515 channels, more than the 512 of a show";
    ShowBytes manyRows;
    manyRows.rows = 65536;
    manyRows.records = QByteArray(65536 * 4, '\0');
    QTest::newRow("65536 rows") << "m.dmx" << manyRows.bytes()
                                << "has 65536 rows, with the 1 in the table more than the 65535 "
                                   "of a table";
    // The counts alone are refused; the file need not be as long as they claim.
    manyRows.rows = INT_MAX;
    QTest::newRow("rows claimed past the limit")
        << "c.dmx" << manyRows.bytes()
        << "has 2147483647 rows, with the 1 in the table more than the 65535 of a table";
    QTest::newRow("no extension") << "show.txt" << QByteArray("x") << "not a .dmx or .c file";
}

void tst_dmxfile::refusalReasons()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    writeAll(pathOf(name), bytes);
    appendRow(1, 1, 1);
    QCOMPARE(m_files.loadData(urlOf(name)), 0);
    QCOMPARE(m_files.lastError(), reason);
    QCOMPARE(coreModel()->rowCount(), 1);
}

namespace
{
QByteArray writtenShow(const showData &show)
{
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    return dmxFormat::write(out, show) ? bytes : QByteArray();
}

dmxFormat::readResult readShow(QByteArray bytes, int skip = 0, int columns = 515, int id = 0)
{
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    in.seek(skip);
    return dmxFormat::read(in, columns, id);
}
} // namespace

// Whatever the cut, the reader either refuses with nothing to show for it or keeps the
// rows and sets aside a fixture block it cannot read whole.
void tst_dmxfile::formatCutAnywhere()
{
    StepRow first{0, 1, 2, 30, 40};
    StepRow second{0, 3, 4, 50, 60};
    const QByteArray whole = writtenShow({QByteArray("\1\0", 2), rowsOf({first, second}), "\3\7"});
    const int plain = 29 + 2 + 2 * 6;
    QCOMPARE(whole.size(), plain + 12 + 2);
    for (int cut = 0; cut <= whole.size(); ++cut) {
        const dmxFormat::readResult read = readShow(whole.left(cut));
        QCOMPARE(read.error.isEmpty(), cut >= plain);
        QCOMPARE(read.show.rows.size(), cut >= plain ? 2 : 0);
        QCOMPARE(read.show.flags, cut >= plain ? QByteArray("\1\0", 2) : QByteArray());
        QCOMPARE(read.fixturesDamaged, cut > plain && cut < whole.size());
        QCOMPARE(read.show.fixtures, cut == whole.size() ? QByteArray("\3\7") : QByteArray());
        if (cut >= plain)
            QCOMPARE(read.show.rows.row(1), (StepRow{1, 3, 4, 50, 60} + StepRow(510)));
    }
}

void tst_dmxfile::formatRowShape_data()
{
    QTest::addColumn<int>("skip"); // bytes before the show in the input
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("firstId");
    QTest::addColumn<int>("kept");

    QTest::newRow("table rows") << 0 << 515 << 0 << 12;
    QTest::newRow("after other bytes, numbered on") << 5 << 515 << 9 << 12;
    QTest::newRow("rows narrower than the file") << 0 << 10 << 0 << 7;
}

// Rows shorter than the channels written save 0 for the missing cells.
void tst_dmxfile::formatRowShape()
{
    QFETCH(int, skip);
    QFETCH(int, columns);
    QFETCH(int, firstId);
    QFETCH(int, kept);
    StepRow full(15);
    for (int c = 0; c < full.size(); ++c)
        full[c] = quint16(c + 1);
    StepRow shortRow{99, 7, 8, 9};
    const QByteArray show = writtenShow({QByteArray(12, '\1'), rowsOf({full, shortRow}), {}});
    QCOMPARE(show.size(), 29 + 12 + 2 * 16);

    const dmxFormat::readResult read =
        readShow(QByteArray(skip, 'x') + show, skip, columns, firstId);
    QCOMPARE(read.error, QString());
    QCOMPARE(read.show.flags, QByteArray(kept, '\1'));
    QCOMPARE(read.show.rows.size(), 2);
    for (int r = 0; r < 2; ++r) {
        const StepRow row = read.show.rows.row(r, columns);
        const StepRow &saved = r == 0 ? full : shortRow;
        for (int c = 1; c < columns; ++c)
            QCOMPARE(row.at(c), c < 3 + kept ? saved.value(c) : quint16(0));
    }
}

void tst_dmxfile::formatRowLimit_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("before"); // rows already in the table
    QTest::addColumn<QString>("reason");

    QTest::newRow("one under, empty table") << 65534 << 0 << QString();
    QTest::newRow("at the limit, empty table") << 65535 << 0 << QString();
    QTest::newRow("one over, empty table")
        << 65536 << 0 << "has 65536 rows, more than the 65535 of a table";
    QTest::newRow("at the limit with rows before") << 5 << 65530 << QString();
    QTest::newRow("one over with rows before")
        << 5 << 65531 << "has 5 rows, with the 65531 in the table more than the 65535 of a table";
}

// Rows of three cells keep the memory small; the limit is on the count.
void tst_dmxfile::formatRowLimit()
{
    QFETCH(int, rows);
    QFETCH(int, before);
    QFETCH(QString, reason);
    ShowBytes file;
    file.rows = rows;
    file.records = QByteArray(rows * 4, '\1');
    const dmxFormat::readResult read = readShow(file.bytes(), 0, 3, before);
    QCOMPARE(read.error, reason);
    QCOMPARE(read.show.rows.size(), reason.isEmpty() ? rows : 0);
}

void tst_dmxfile::tableRowLimit_data()
{
    QTest::addColumn<int>("rows"); // in the show opened into 65533 rows
    QTest::addColumn<QString>("reason");

    QTest::newRow("fills the table") << 2 << QString();
    QTest::newRow("one too many")
        << 3 << "has 3 rows, with the 65533 in the table more than the 65535 of a table";
}

// The rows already in the table count; a refused open leaves them as they were.
void tst_dmxfile::tableRowLimit()
{
    QFETCH(int, rows);
    QFETCH(QString, reason);
    ShowBytes file;
    file.rows = rows;
    file.records = QByteArray(rows * 4, '\2');
    writeAll(pathOf("fill.dmx"), file.bytes());
    // The model tester walks a table of tens of thousands of rows for seconds.
    coreFixture::stopModelChecks();
    for (int r = 0; r < 65533; ++r)
        coreModel()->stepsForWriting().append(StepRow(3));
    QCOMPARE(m_files.loadData(urlOf("fill.dmx")), 0);
    QCOMPARE(m_files.lastError(), reason);
    QCOMPARE(coreModel()->rowCount(), reason.isEmpty() ? 65535 : 65533);
}

// The song link as the show file keeps it: the path from the show's folder when the song
// lies in or below it; found again after a load and after "save as" elsewhere; kept, with the
// reason, when the song is gone. A show without a song saves the bytes it always did.
void tst_dmxfile::songTravelsWithTheShow_data()
{
    QTest::addColumn<QString>("songAt");
    QTest::addColumn<QString>("savedAs");
    QTest::addColumn<bool>("songGone");

    QTest::newRow("below the show, saved above") << "shows/music/a.wav"
                                                 << "b.dmx" << false;
    QTest::newRow("beside the show, saved elsewhere") << "shows/a.wav"
                                                      << "other/b.dmx" << false;
    QTest::newRow("outside, saved beside it") << "a.wav"
                                              << "b.dmx" << false;
    QTest::newRow("song gone") << "shows/a.wav"
                               << "shows/b.dmx" << true;
}

void tst_dmxfile::songTravelsWithTheShow()
{
    QFETCH(QString, songAt);
    QFETCH(QString, savedAs);
    QFETCH(bool, songGone);
    QVERIFY(QDir(m_dir->path()).mkpath("shows/music") && QDir(m_dir->path()).mkpath("other"));
    const QString show = pathOf("shows/show.dmx");
    const QString song = pathOf(songAt);
    QVERIFY(!writeClickTrack(song, 120, 4, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1).isEmpty());
    appendRow(5, 2, 9);
    QVERIFY(m_files.saveData(urlOf("plain.dmx"), 1, 0, 0, kDmxFilter));
    songState state(coreModel()->changeHistory());
    dmxFile files;
    files.setSong(&state);
    QVERIFY(files.saveData(urlOf("plain2.dmx"), 1, 0, 0, kDmxFilter));
    QCOMPARE(readAll(pathOf("plain2.dmx")), readAll(pathOf("plain.dmx")));
    state.setShowFile(show);
    QVERIFY(state.attach(song) && state.setTempo(100));
    QTRY_VERIFY(state.readable());
    const songLink saved = state.linkFor(QString());
    QVERIFY(files.saveData(QUrl::fromLocalFile(show), 1, 0, 0, kDmxFilter));

    const auto linkIn = [](const QString &path) {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return dmxFormat::read(file, 515, 0).show.song;
    };
    QCOMPARE(linkIn(show).path, songBlock::linkPath(song, show));
    QCOMPARE(linkIn(show).path.startsWith('/'), !songAt.startsWith("shows/"));
    if (songGone)
        QVERIFY(QFile::remove(song));
    for (const QString &path : {show, pathOf(savedAs)}) {
        freshCore();
        songState loaded(coreModel()->changeHistory());
        files.setSong(&loaded);
        QVERIFY(files.loadData(QUrl::fromLocalFile(path)) > 0);
        loaded.setShowFile(path);
        QCOMPARE(loaded.path(), song);
        QTRY_VERIFY(!loaded.analysing());
        QCOMPARE(loaded.linkFor(QString()), saved);
        QCOMPARE(loaded.problem().contains(song), songGone);
        QCOMPARE(coreModel()->statusMessage(), loaded.problem());
        QVERIFY(files.saveData(QUrl::fromLocalFile(pathOf(savedAs)), 1, 0, 0, kDmxFilter));
        QCOMPARE(linkIn(pathOf(savedAs)).path, songBlock::linkPath(song, pathOf(savedAs)));
        files.setSong(nullptr);
    }
    // A song block cut short is refused alone: the rows load, and the file service says so.
    const QByteArray whole = readAll(show);
    writeAll(pathOf("cut.dmx"), whole.left(whole.size() - 3));
    freshCore();
    QVERIFY(files.loadData(urlOf("cut.dmx")) > 0);
    QCOMPARE(coreModel()->rowCount(), 1);
    QVERIFY(files.songBlockDamaged());
}

QTEST_GUILESS_MAIN(tst_dmxfile)
#include "tst_dmxfile.moc"
