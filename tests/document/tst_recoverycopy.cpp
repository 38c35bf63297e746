#include "childprocess.h"
#include "dmxformat.h"
#include "recoverycopy.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <random>
#include <sys/resource.h>

class tst_recoverycopy : public QObject
{
    Q_OBJECT

  private slots:
    void killedAtRandomLeavesOneRecentCopy();
    void fullDiskKeepsTheLastCopy();
    void damagedCopiesAreRefusedAndSetAside_data();
    void damagedCopiesAreRefusedAndSetAside();
};

namespace
{
QByteArray showOfRows(int rows)
{
    showData show;
    show.flags = QByteArray(4, 0);
    const uchar levels[4] = {1, 2, 3, 4};
    for (int r = 0; r < rows; ++r)
        show.rows.append(10, 0, levels, 4);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    dmxFormat::write(out, show);
    return out.data();
}

QByteArray md5(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

struct edit {
    qint64 ms;
    QByteArray hash;
};

// The complete lines of the child's log.
QVector<edit> editsOf(const QByteArray &log)
{
    QVector<edit> edits;
    const QList<QByteArray> lines = log.split('\n');
    for (int i = 0; i + 1 < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(' ');
        if (fields.size() == 2)
            edits.append({fields.at(0).toLongLong(), fields.at(1)});
    }
    return edits;
}
} // namespace

// The copy is replaced whole, so whenever the program dies there is one good copy, and the
// show moved on from it at most kDelayMs before the last edit.
void tst_recoverycopy::killedAtRandomLeavesOneRecentCopy()
{
    std::mt19937 random(42);
    for (int seed = 1; seed <= 100; ++seed) {
        QTemporaryDir folder;
        childProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(RECOVERY_CHILD, {QString::number(seed), folder.path()});
        // Past the first copy's time, then a random number of edits more.
        const int extra = int(random() % 150);
        QByteArray log;
        int past = -1;
        while (past < 0 || editsOf(log).size() < past + extra) {
            QVERIFY2(child.waitForReadyRead(10000), qPrintable(child.errorString()));
            log += child.readAllStandardOutput();
            const QVector<edit> edits = editsOf(log);
            if (past < 0 && !edits.isEmpty() && edits.last().ms > 2 * recoveryCopy::kDelayMs)
                past = edits.size();
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(10000));
        const QVector<edit> edits = editsOf(log + child.readAllStandardOutput());

        const QVector<recoveryCopy::orphan> found = recoveryCopy::orphans(folder.path());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().error, QString());
        QCOMPARE(found.first().showName, QStringLiteral("crash.dmx"));
        QFile copy(found.first().path);
        QVERIFY(copy.open(QIODevice::ReadOnly));
        const QByteArray hash = md5(copy.readAll());
        int held = edits.size() - 1;
        while (held >= 0 && edits.at(held).hash != hash)
            --held;
        QVERIFY2(held >= 0, qPrintable(QStringLiteral("seed %1: no edit held").arg(seed)));
        if (held + 1 < edits.size())
            QVERIFY2(edits.last().ms - edits.at(held + 1).ms <= recoveryCopy::kDelayMs,
                     qPrintable(QStringLiteral("seed %1: copy too old").arg(seed)));
    }
}

// A write the disk refuses is said once, tried again later, and leaves the last copy whole.
void tst_recoverycopy::fullDiskKeepsTheLastCopy()
{
    QTemporaryDir folder;
    QByteArray show = showOfRows(2);
    qint64 now = 0;
    recoveryCopy copy(folder.path(), [&show] { return show; });
    copy.setClock([&now] { return now; });
    QSignalSpy failed(&copy, &recoveryCopy::writeFailed);
    copy.showChanged(true);
    QVERIFY(copy.writeNow());
    const QByteArray good = show;

    rlimit before{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = rlim_t(good.size() + 16);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    show = showOfRows(50);
    copy.showChanged(true);
    QVERIFY(!copy.writeNow());
    now += recoveryCopy::kDelayMs;
    copy.poll();
    QVERIFY(copy.pending());
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &before), 0);

    QCOMPARE(failed.size(), 1);
    QVERIFY(failed.first().first().toString().contains(copy.path()));
    QFile kept(copy.path());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), good);
    QVERIFY(!QFile::exists(copy.path() + ".part"));
    now += recoveryCopy::kDelayMs;
    copy.poll();
    QVERIFY(!copy.pending());
    // A save removes the copy.
    copy.showChanged(false);
    QVERIFY(!QFile::exists(copy.path()));
}

void tst_recoverycopy::damagedCopiesAreRefusedAndSetAside_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray whole = showOfRows(3);
    QTest::newRow("whole") << whole << QString();
    QTest::newRow("cut") << whole.left(whole.size() - 5) << "damaged, shorter than its counts";
    QTest::newRow("garbage") << QByteArray(200, 'x') << "older layout or not a show file";
}

void tst_recoverycopy::damagedCopiesAreRefusedAndSetAside()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    QTemporaryDir folder;
    const QString path = folder.filePath("1-2.dmx");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const QVector<recoveryCopy::orphan> found = recoveryCopy::orphans(folder.path());
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.first().error, error);
    QCOMPARE(found.first().steps, error.isEmpty() ? 3 : 0);
    if (error.isEmpty())
        return;
    QVERIFY(recoveryCopy::setAside(path));
    QVERIFY(recoveryCopy::orphans(folder.path()).isEmpty());
    QVERIFY(QFile::exists(path + ".damaged"));
}

QTEST_GUILESS_MAIN(tst_recoverycopy)
#include "tst_recoverycopy.moc"
