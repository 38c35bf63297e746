#include "playershow.h"

#include <QTemporaryDir>
#include <QtTest>

// Exports compiled with the reference player on the host play the desktop's frames, tick for
// tick, over two loops; where the export cannot carry what the desktop uses, the cases below
// show the difference the player's documented rule leaves.
class tst_playeridentity : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();
    void cleanup() { dropCore(); }
    void randomShows();
    void limits_data();
    void limits();

  private:
    // A show ready for the host player: its export's name, what the player is told of the
    // patch, and the frames it must send.
    struct hostCase {
        QString name;
        uint fixturesOff;
        QVector<QByteArray> expected;
    };

    hostCase exportAndPlay(const QString &name, const showPlan &plan, bool tellFixtures);
    QString compileHost(const QVector<hostCase> &cases);
    QString firstDifference(const QVector<hostCase> &cases, const QList<QByteArray> &hashes);

    QScopedPointer<QTemporaryDir> m_dir;
    dmxFile m_files;
};

namespace
{
QtMessageHandler g_previous = nullptr;

// Hundreds of new graphs, row loads and saves write lines nobody reads here.
void dropDebug(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtDebugMsg && !text.startsWith(QLatin1String("DMX output thread")))
        g_previous(type, context, text);
}

int showCount()
{
    const int count = qEnvironmentVariableIntValue("DMX_PLAYER_SHOWS");
    return count > 0 ? count : 200;
}

enum class limitKind {
    snapAfterOffFixture,
    offFixtureMoves,
    levelPastExport,
    oneRow,
    lastFixtureOffSnaps
};

// Four rows of moderate moves on the exported channels, then what the case is about.
showPlan limitShow(limitKind kind, int row)
{
    showPlan plan;
    plan.last = 3;
    plan.channels = 60;
    const quint16 speeds[] = {1, 0, 2, 1};
    const quint16 fades[] = {2, 3, 0, 4};
    if (kind == limitKind::snapAfterOffFixture || kind == limitKind::offFixtureMoves)
        plan.fixturesOff = kind == limitKind::offFixtureMoves ? 2u : 1u;
    if (kind == limitKind::lastFixtureOffSnaps) {
        plan.fixturesOff = 1u << 5;
        plan.channels = 512;
    }
    switchOff(plan.fixturesOff);
    const QVector<bool> sent = exportedChannels(plan);
    // Small moves arrive before the fade's last tick; a larger hidden one would not.
    const int range = kind == limitKind::offFixtureMoves ? 4 : 40;
    for (int r = 0; r < 4; ++r) {
        tableRow cells = appendRow(speeds[r], fades[r], 0);
        for (int c = 0; c < 512; ++c)
            cells[c + 3] = quint16(sent[c] ? (c * 37 + r * 91) % range : 0);
        if (kind == limitKind::offFixtureMoves)
            cells[20 + 3] = quint16(r % 2 ? 255 : 0);
        if (kind == limitKind::levelPastExport)
            cells[70 + 3] = 77;
    }
    if (kind == limitKind::snapAfterOffFixture)
        channel(20)->setDimEn(true);
    // Flags at random, so one taken from any other channel, in the patch or past it, is
    // likely to change a frame.
    QRandomGenerator flags(5);
    for (int c = 0; kind == limitKind::lastFixtureOffSnaps && c < 512; ++c)
        channel(c)->setDimEn(flags.bounded(3) == 0);
    if (kind == limitKind::oneRow)
        plan.first = plan.last = row;
    return plan;
}
} // namespace

void tst_playeridentity::initTestCase()
{
    g_previous = qInstallMessageHandler(dropDebug);
}

void tst_playeridentity::init()
{
    freshCore(modelCheck::none);
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

tst_playeridentity::hostCase
tst_playeridentity::exportAndPlay(const QString &name, const showPlan &plan, bool tellFixtures)
{
    hostCase out{name, tellFixtures ? plan.fixturesOff : 0u, {}};
    if (!exportShow(m_files, m_dir->path(), name, plan))
        return out;
    qint64 end = 0;
    const auto frames = playDesktop(plan, 2 * recordCount(plan), &end);
    out.expected = sampled(frames, end);
    return out;
}

// One host program: the player, the harness and every case's export, which must build as
// strict C99 without a warning.
QString tst_playeridentity::compileHost(const QVector<hostCase> &cases)
{
    QByteArray list = "#include \"hostplayer.h\"\n";
    QByteArray entries;
    QStringList sources{TESTS_PLAYER_DIR "/hostplayer.c", PLAYER_DIR "/dmxplayer.c", "shows.c"};
    for (const hostCase &c : cases) {
        const QByteArray id = c.name.toLatin1();
        list += "extern const runDmxData " + id + "_Array[];\nextern const unsigned short " + id +
                "_size;\nextern const unsigned char " + id + "_enChange[maxSendCh];\n";
        entries += "    {" + id + "_Array, &" + id + "_size, " + id + "_enChange, " +
                   QByteArray::number(c.fixturesOff) + "u, " +
                   QByteArray::number(c.expected.size()) + "u},\n";
        sources << c.name + ".c";
    }
    list += "const struct hostShow hostShows[] = {\n" + entries + "};\n";
    list += "const unsigned hostShowCount = " + QByteArray::number(cases.size()) + "u;\n";
    QFile shows(m_dir->filePath("shows.c"));
    if (!shows.open(QIODevice::WriteOnly) || shows.write(list) != list.size())
        return QStringLiteral("cannot write shows.c");
    shows.close();
    const QString cc = QStandardPaths::findExecutable("gcc");
    if (cc.isEmpty())
        return QStringLiteral("no gcc");
    // Undefined behaviour (a shift too far, an overflow) stops the player with an error.
    const QStringList flags{"-std=c99",
                            "-O1",
                            "-Wall",
                            "-Wextra",
                            "-Wpedantic",
                            "-Werror",
                            "-fsanitize=undefined",
                            "-fno-sanitize-recover=undefined",
                            "-I" PLAYER_DIR,
                            "-I" TESTS_PLAYER_DIR,
                            "-o",
                            "host"};
    return runTool(cc, flags + sources, m_dir->path());
}

// Empty when the host player sent every case's frames; otherwise the first frame that
// differs, slot by slot.
QString tst_playeridentity::firstDifference(const QVector<hostCase> &cases,
                                            const QList<QByteArray> &hashes)
{
    int line = 0;
    for (int s = 0; s < cases.size(); ++s) {
        const QVector<QByteArray> &expected = cases.at(s).expected;
        int tick = 0;
        while (tick < expected.size() && line + tick < hashes.size() &&
               hashes.at(line + tick).toULongLong(nullptr, 16) == frameHash(expected.at(tick)))
            ++tick;
        line += expected.size();
        if (tick == expected.size())
            continue;
        QByteArray frames;
        const QString error =
            runTool(m_dir->filePath("host"), {QString::number(s)}, m_dir->path(), &frames);
        const QByteArray got = frames.mid(512 * tick, 512);
        int slot = 0;
        while (slot < 512 && slot < got.size() && got.at(slot) == expected.at(tick).at(slot))
            ++slot;
        return QStringLiteral("%1, tick %2 of %3, slot %4: player %5, desktop %6 %7")
            .arg(cases.at(s).name)
            .arg(tick + 1)
            .arg(expected.size())
            .arg(slot)
            .arg(slot < got.size() ? int(uchar(got.at(slot))) : -1)
            .arg(slot < 512 ? int(uchar(expected.at(tick).at(slot))) : -1)
            .arg(error);
    }
    return line == hashes.size() ? QString() : QStringLiteral("more frames than expected");
}

void tst_playeridentity::randomShows()
{
    const quint32 seed = quint32(qEnvironmentVariableIntValue("DMX_PLAYER_SEED"));
    QVector<hostCase> cases;
    for (int s = 0; s < showCount(); ++s) {
        freshCore(modelCheck::none);
        QRandomGenerator random(seed * 7919u + quint32(s));
        const showPlan plan = randomShow(random);
        cases.append(exportAndPlay(QStringLiteral("show%1").arg(s), plan, true));
        QVERIFY2(!cases.last().expected.isEmpty(), qPrintable(cases.last().name));
    }
    const QString error = compileHost(cases);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QByteArray out;
    const QString runError = runTool(m_dir->filePath("host"), {}, m_dir->path(), &out);
    QVERIFY2(runError.isEmpty(), qPrintable(runError));
    const QList<QByteArray> hashes = out.split('\n').mid(0, out.count('\n'));
    const QString difference = firstDifference(cases, hashes);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    qInfo("%d random shows, %d frames in all, as on the desktop", int(cases.size()),
          int(hashes.size()));
}

void tst_playeridentity::limits_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("tellFixtures");
    QTest::addColumn<bool>("identical");

    // The records pack the sent channels while the snap flags count every channel.
    QTest::newRow("snap after a switched-off fixture, player told")
        << int(limitKind::snapAfterOffFixture) << 0 << true << true;
    QTest::newRow("snap after a switched-off fixture, player not told")
        << int(limitKind::snapAfterOffFixture) << 0 << false << false;
    // The desktop waits for every channel; the export holds only the sent ones.
    QTest::newRow("switched-off fixture's channels move")
        << int(limitKind::offFixtureMoves) << 0 << true << false;
    // The desktop sends channels past C; the export has no value for them.
    QTest::newRow("level on a channel past the export")
        << int(limitKind::levelPastExport) << 0 << true << false;
    // A one-row range enters from the row above it.
    QTest::newRow("one-row range at row 3") << int(limitKind::oneRow) << 3 << true << false;
    QTest::newRow("one-row range at row 0") << int(limitKind::oneRow) << 0 << true << true;
    // Every exported channel comes before the last fixture, so no flag moves either way.
    QTest::newRow("last fixture switched off, snaps differing, player told")
        << int(limitKind::lastFixtureOffSnaps) << 0 << true << true;
    QTest::newRow("last fixture switched off, snaps differing, player not told")
        << int(limitKind::lastFixtureOffSnaps) << 0 << false << true;
}

void tst_playeridentity::limits()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    QFETCH(bool, tellFixtures);
    QFETCH(bool, identical);

    const showPlan plan = limitShow(limitKind(kind), row);
    const QVector<hostCase> cases{exportAndPlay(QStringLiteral("limit"), plan, tellFixtures)};
    const QString error = compileHost(cases);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QByteArray out;
    QCOMPARE(runTool(m_dir->filePath("host"), {}, m_dir->path(), &out), QString());
    const QString difference = firstDifference(cases, out.split('\n').mid(0, out.count('\n')));
    QVERIFY2(difference.isEmpty() == identical, qPrintable(difference));
}

QTEST_GUILESS_MAIN(tst_playeridentity)
#include "tst_playeridentity.moc"
