#include "appwiring.h"
#include "childprocess.h"
#include "clicktrack.h"
#include "commandline.h"
#include "coretestsupport.h"
#include "dmxfile.h"
#include "songstate.h"
#include "startfiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString kCFilter = QStringLiteral("Dmx-c files (*.c )");
const QString kShowFilter = QStringLiteral("Dmx files (*.dmx )");
constexpr int kShowChannels = 120;

// Conversions must work where there is no display at all. In a sanitizer build they are
// leak-checked even when the test process is not.
QProcess::ExitStatus runPlayer(const QStringList &args, int &code, QString &err, QString &out,
                               const QString &program = QStringLiteral(REAL_PLAYER))
{
    childProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "ASAN_OPTIONS"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(60000);
    code = p.exitCode();
    err = QString::fromLocal8Bit(p.readAllStandardError());
    out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return p.exitStatus();
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Ten rows whose cells differ per row and channel, with a few snap flags set, and the fixture
// types the show records.
void writeShow(const QString &path, const QVariantList &fixtureTypes = {})
{
    freshCore();
    for (int r = 0; r < 10; ++r) {
        tableRow row = appendRow(quint16(r + 1), quint16(2 * r), 0);
        for (int c = 1; c <= kShowChannels; ++c)
            row[c + 2] = quint16((r * 37 + c * 11) % 256);
    }
    channel(0)->setDimEn(true);
    channel(40)->setDimEn(true);
    dmxFile files;
    files.setFixtureTypes(fixtureTypes);
    QVERIFY(files.saveData(QUrl::fromLocalFile(path), kShowChannels, 0, 9, kShowFilter));
}
} // namespace

class tst_commandline : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void headlessMatchesWindow_data();
    void headlessMatchesWindow();
    void conversionFailures_data();
    void conversionFailures();
    void exportAtTheRowLimit();
    void helpAndVersionNeedNoDisplay();
    void conversionsStartNoThread_data();
    void conversionsStartNoThread();
    void analyseAudio_data();
    void analyseAudio();
    void filesOpenInOrderAndBadOnesAreNamed();
    void windowStartsDespiteAMissingFile();
    void audioSetsTheOpenedShowsSong();
    void badOscOptionsEndTheProgram_data();
    void badOscOptionsEndTheProgram();

  private:
    QObject *openWindow(QQmlApplicationEngine &engine);
    QString m_show;
    QString m_export;
    QTemporaryDir m_dir;
};

void tst_commandline::initTestCase()
{
    QVERIFY(m_dir.isValid());
    registerQmlTypes();
    m_show = m_dir.filePath("show.dmx");
    m_export = m_dir.filePath("whole.c");
    writeShow(m_show);
    // 132 channels of fixtures, more than the rows were saved with.
    writeShow(m_dir.filePath("fixtures.dmx"), {0, 24, 14, 3, 18, 12});
    // An unknown type ends the restore, as in the window.
    writeShow(m_dir.filePath("unknown-type.dmx"), {12, 99, 0});
    int code = -1;
    QString err, out;
    runPlayer({"--export-c", m_show, m_export}, code, err, out);
    QCOMPARE(code, 0);
}

QObject *tst_commandline::openWindow(QQmlApplicationEngine &engine)
{
    wireEngine(&engine);
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    return engine.rootObjects().value(0);
}

void tst_commandline::headlessMatchesWindow_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("stride");
    QTest::addColumn<QList<int>>("fixturesOff");
    QTest::addColumn<int>("restored");

    QTest::newRow("whole table") << "show.dmx"
                                 << "player.c" << QStringList() << 0 << 9 << 1 << QList<int>() << 0;
    QTest::newRow("range given backwards, stride 3")
        << "show.dmx"
        << "player.c" << QStringList{"--range", "7:2", "--stride", "3"} << 7 << 2 << 3
        << QList<int>() << 0;
    QTest::newRow("fixtures 1 and 3 off") << "show.dmx"
                                          << "player.c" << QStringList{"--fixtures-off", "1,3"} << 0
                                          << 9 << 1 << QList<int>{1, 3} << 0;
    QTest::newRow("one row, stride 4, fixture 0 off")
        << "show.dmx"
        << "player.c" << QStringList{"--range", "4:4", "--stride", "4", "--fixtures-off=0"} << 4
        << 4 << 4 << QList<int>{0} << 0;
    QTest::newRow("show with fixtures")
        << "fixtures.dmx"
        << "player.c" << QStringList() << 0 << 9 << 1 << QList<int>() << 6;
    QTest::newRow("show with fixtures, range, fixtures 0 and 4 off")
        << "fixtures.dmx"
        << "player.c" << QStringList{"--range", "2:5", "--fixtures-off", "0,4"} << 2 << 5 << 1
        << QList<int>{0, 4} << 6;
    QTest::newRow("show with an unknown fixture type")
        << "unknown-type.dmx"
        << "player.c" << QStringList() << 0 << 9 << 1 << QList<int>() << 1;
    QTest::newRow("C export back to a show")
        << "whole.c"
        << "back.dmx" << QStringList() << 0 << 9 << 1 << QList<int>() << 0;
}

// The window's way: open the file as "打开" does, pick the range in the table, set the step
// box and the fixture boxes, then save as the file dialog does.
void tst_commandline::headlessMatchesWindow()
{
    QFETCH(QString, input);
    QFETCH(QString, output);
    QFETCH(QStringList, options);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, stride);
    QFETCH(QList<int>, fixturesOff);
    QFETCH(int, restored);
    QVERIFY(QDir(m_dir.path()).mkpath("headless") && QDir(m_dir.path()).mkpath("window"));
    const QString headlessFile = m_dir.filePath("headless/" + output);
    const QString windowFile = m_dir.filePath("window/" + output);
    QFile::remove(headlessFile);

    int code = -1;
    QString err, out;
    const QString toOption = output.endsWith(".c") ? "--export-c" : "--to-dmx";
    runPlayer(QStringList{toOption, m_dir.filePath(input), headlessFile} + options, code, err, out);
    QVERIFY2(code == 0, qPrintable(err));

    QQmlApplicationEngine engine;
    QObject *window = openWindow(engine);
    QVERIFY(window);
    QCOMPARE(startFiles::open(window, {m_dir.filePath(input)}), QStringList());
    QObject *panel = window->findChild<QObject *>("text_control");
    QCOMPARE(window->property("light_number").toInt(), restored);
    QMetaObject::invokeMethod(window, "startPos", Q_ARG(QVariant, first));
    QMetaObject::invokeMethod(window, "endPos", Q_ARG(QVariant, last));
    panel->findChild<QObject *>("between_value")->setProperty("value", stride);
    g_dimList->setDmxDataBetween(uint(stride));
    for (int number : fixturesOff)
        fixture(number)->setProperty("fixSelect", 0);
    QVariant saved;
    QMetaObject::invokeMethod(panel, "saveAccepted", Q_RETURN_ARG(QVariant, saved),
                              Q_ARG(QVariant, QUrl::fromLocalFile(windowFile)),
                              Q_ARG(QVariant, output.endsWith(".c") ? kCFilter : kShowFilter));
    QVERIFY(saved.toBool());

    const QByteArray expected = contents(windowFile);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(contents(headlessFile), expected);
}

void tst_commandline::conversionFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing show") << QStringList{"--export-c", "@/gone.dmx", "@/out.c"}
                                  << "gone.dmx"
                                  << "no such file";
    QTest::newRow("cut show") << QStringList{"--export-c", "@/cut.dmx", "@/out.c"} << "cut.dmx"
                              << "damaged";
    QTest::newRow("older layout") << QStringList{"--export-c", "@/old.dmx", "@/out.c"} << "old.dmx"
                                  << "older layout";
    QTest::newRow("output folder missing")
        << QStringList{"--export-c", "@/show.dmx", "@/none/out.c"} << "none/out.c"
        << "No such file or directory";
    QTest::newRow("range past the end")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--range", "3:10"} << "show.dmx"
        << "outside its rows 0 to 9";
    QTest::newRow("unknown fixture")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--fixtures-off", "2,9"} << ""
        << "no fixture 9";
    QTest::newRow("output not named .c")
        << QStringList{"--export-c", "@/show.dmx", "@/out.txt"} << "out.txt"
        << "must end in .c";
    QTest::newRow("no output") << QStringList{"--to-dmx", "@/whole.c"} << ""
                               << "exactly one output file";
    QTest::newRow("stride zero") << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--stride",
                                                "0"}
                                 << ""
                                 << "--stride wants";
    const QString strideRange = "--stride wants a whole number from 1 to 65535";
    QTest::newRow("stride one past the limit")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--stride", "65536"} << ""
        << strideRange;
    QTest::newRow("stride of eleven digits")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--stride", "99999999999"} << ""
        << strideRange;
    QTest::newRow("range at the largest row number")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--range", "0:65534"} << "show.dmx"
        << "outside its rows 0 to 9";
    QTest::newRow("range past the largest row number")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--range", "0:65535"} << ""
        << "--range wants two row numbers A:B, each from 0 to 65534";
    QTest::newRow("fixture number at the limit")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--fixtures-off", "255"} << ""
        << "no fixture 255";
    QTest::newRow("fixture number past the limit")
        << QStringList{"--export-c", "@/show.dmx", "@/out.c", "--fixtures-off", "256"} << ""
        << "--fixtures-off wants fixture numbers from 0 to 255";
    QTest::newRow("show as the input of --to-dmx")
        << QStringList{"--to-dmx", "@/show.dmx", "@/out.dmx"} << "show.dmx"
        << "--to-dmx takes a C export (a .c file), this is a show";
    QTest::newRow("show named .c as the input of --to-dmx")
        << QStringList{"--to-dmx", "@/show-named.c", "@/out.dmx"} << "show-named.c"
        << "not a C export: line 2 is no flag array";
    QTest::newRow("text as the input of --export-c")
        << QStringList{"--export-c", "@/notes.txt", "@/out.c"} << "notes.txt"
        << "neither a .dmx show nor a .c export";
    QTest::newRow("export named .dmx as the input of --export-c")
        << QStringList{"--export-c", "@/export-named.dmx", "@/out.c"} << "export-named.dmx"
        << "older layout or not a show file";
    QTest::newRow("show one row past the table's limit")
        << QStringList{"--export-c", "@/big.dmx", "@/out.c"} << "big.dmx"
        << "has 65536 rows, more than the 65535 of a table";
    QTest::newRow("export past the player's size")
        << QStringList{"--to-dmx", "@/big.c", "@/out.dmx"} << "big.c"
        << "line 6: the size 65536 is more than the player's 65535 records";
    QTest::newRow("output on a virtual file system")
        << QStringList{"--export-c", "@/show.dmx", "/proc/out.c"} << "/proc/out.c"
        << "(/proc is on the virtual file system proc, which keeps no files)";
}

namespace
{
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// A show of `rows` rows without channels, each speed 1 and fade 2.
QByteArray rowsOnlyShow(int rows)
{
    QByteArray bytes("QX\0\0\0\0\0\0\0\0DMX512\0\0\0\0\1", 21);
    QDataStream stream(&bytes, QIODevice::Append);
    stream << qint32(0) << qint32(rows);
    for (int r = 0; r < rows; ++r)
        stream << quint16(1) << quint16(2);
    return bytes;
}
} // namespace

void tst_commandline::conversionFailures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, named);
    QFETCH(QString, reason);
    QFile cut(m_dir.filePath("cut.dmx"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(contents(m_show).left(60));
    cut.close();
    QByteArray older = contents(m_show);
    older[20] = 2;
    QFile old(m_dir.filePath("old.dmx"));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(older);
    old.close();
    QFile::remove(m_dir.filePath("out.c"));
    QFile::remove(m_dir.filePath("out.dmx"));
    writeFile(m_dir.filePath("show-named.c"), contents(m_show));
    writeFile(m_dir.filePath("export-named.dmx"), contents(m_export));
    writeFile(m_dir.filePath("notes.txt"), "notes\n");
    writeFile(m_dir.filePath("big.dmx"), rowsOnlyShow(65536));
    writeFile(m_dir.filePath("big.c"), contents(m_export)
                                           .replace("whole_size = 10;", "whole_size = 65536;")
                                           .replace("whole_Array[10]", "whole_Array[65536]"));

    args.replaceInStrings("@", m_dir.path());
    int code = -1;
    QString err, out;
    QCOMPARE(runPlayer(args, code, err, out), QProcess::NormalExit);
    QCOMPARE(code, 1);
    QVERIFY2(err.contains(named + ": ") || named.isEmpty(), qPrintable(err));
    QVERIFY2(err.contains(reason), qPrintable(err));
    QVERIFY(!QFile::exists(m_dir.filePath("out.c")));
    QVERIFY(!QFile::exists(m_dir.filePath("out.dmx")));
}

// The largest table exports whole: the player's size holds its 65535 records.
void tst_commandline::exportAtTheRowLimit()
{
    const QString show = m_dir.filePath("limit.dmx");
    const QString player = m_dir.filePath("limit.c");
    writeFile(show, rowsOnlyShow(65535));
    int code = -1;
    QString err, out;
    runPlayer({"--export-c", show, player}, code, err, out);
    QVERIFY2(code == 0, qPrintable(err));
    const QByteArray text = contents(player);
    QVERIFY(text.contains("const unsigned short limit_size = 65535;\n"));
    QVERIFY(text.contains("    //65534-65534\n    {   1,   2,},\n};\n"));
}

void tst_commandline::helpAndVersionNeedNoDisplay()
{
    int code = -1;
    QString err, out;
    runPlayer({"--help"}, code, err, out);
    QCOMPARE(code, 0);
    for (const char *option : {"--export-c", "--to-dmx", "--range", "--stride", "--fixtures-off"})
        QVERIFY2(out.contains(option), option);
    runPlayer({"--version"}, code, err, out);
    QCOMPARE(code, 0);
    QCOMPARE(out.trimmed(), QStringLiteral("dmxplayer 1.0"));
}

void tst_commandline::conversionsStartNoThread_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("--export-c") << "--export-c"
                                << "show.dmx"
                                << "threads.c";
    QTest::newRow("--to-dmx") << "--to-dmx"
                              << "whole.c"
                              << "threads.dmx";
}

// No frames to send, so not even the output thread is started.
void tst_commandline::conversionsStartNoThread()
{
    QFETCH(QString, option);
    QFETCH(QString, input);
    QFETCH(QString, output);
    int code = -1;
    QString err, out;
    runPlayer({option, m_dir.filePath(input), m_dir.filePath(output)}, code, err, out,
              QStringLiteral(HEADLESS_THREADS));
    QVERIFY2(code == 0, qPrintable(err));
    QCOMPARE(out.trimmed(), QStringLiteral("threads started: 0"));
}

void tst_commandline::analyseAudio_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("reason"); // empty: read

    QTest::newRow("click track") << "clicks.wav" << QString();
    QTest::newRow("missing") << "gone.wav"
                             << "gone.wav: System error : No such file or directory.";
    QTest::newRow("not audio") << "notes.txt"
                               << "notes.txt: Format not recognised.";
}

// The analysis as one line of JSON, or the reason on stderr; like a conversion, it starts no
// thread.
void tst_commandline::analyseAudio()
{
    QFETCH(QString, song);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(song);
    writeClickTrack(m_dir.filePath("clicks.wav"), 128, 20, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100,
                    2);
    writeFile(m_dir.filePath("notes.txt"), "notes\n");
    int code = -1;
    QString err, out;
    runPlayer({"--analyse-audio", path}, code, err, out, QStringLiteral(HEADLESS_THREADS));
    QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.takeLast(), QStringLiteral("threads started: 0"));
    QCOMPARE(code, reason.isEmpty() ? 0 : 1);
    QVERIFY2(err.contains(reason), qPrintable(err));
    QCOMPARE(lines.size(), reason.isEmpty() ? 1 : 0);
    if (!reason.isEmpty())
        return;
    const QJsonObject json = QJsonDocument::fromJson(lines.first().toUtf8()).object();
    QCOMPARE(json.keys(),
             (QStringList{"beats", "file", "firstBeatMs", "lengthMs", "sampleRate", "tempoBpm"}));
    QCOMPARE(json.value("file").toString(), path);
    QCOMPARE(json.value("lengthMs").toInt(), 20000);
    QCOMPARE(json.value("sampleRate").toInt(), 44100);
    QVERIFY(qAbs(json.value("tempoBpm").toDouble() - 128) < 0.5);
    QCOMPARE(json.value("beats").toArray().size(), 39); // a click every 468.75 ms from 2 s
}

void tst_commandline::filesOpenInOrderAndBadOnesAreNamed()
{
    QQmlApplicationEngine engine;
    QObject *window = openWindow(engine);
    QVERIFY(window);
    const QString missing = m_dir.filePath("gone.dmx");
    const QStringList problems = startFiles::open(window, {m_show, missing, m_export});
    QCOMPARE(problems.size(), 1);
    QVERIFY(problems.first().contains(missing));
    // The show's ten rows, then the export's ten again, in the order given.
    QCOMPARE(g_dimList->rowCount(), 20);
    QCOMPARE(int(g_dimList->steps().cell(10, 0)), 10);
    QCOMPARE(int(g_dimList->steps().cell(13, 1)), 4);
    QCOMPARE(window->property("playEnd").toInt(), 19);
    QObject *status = window->findChild<QObject *>("statesText");
    QVERIFY(status->property("text").toString().contains(missing));
}

void tst_commandline::windowStartsDespiteAMissingFile()
{
    childProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    p.setProcessEnvironment(env);
    const QString missing = m_dir.filePath("gone.dmx");
    p.start(QStringLiteral(REAL_PLAYER), {m_show, missing});
    QVERIFY(p.waitForStarted(30000));
    // The report comes once the window has loaded, which takes a while on a busy machine.
    QString err;
    QElapsedTimer waited;
    waited.start();
    while (!err.contains(missing) && p.state() == QProcess::Running && waited.elapsed() < 60000) {
        p.waitForReadyRead(1000);
        err += QString::fromLocal8Bit(p.readAllStandardError());
    }
    const bool stillRunning = !p.waitForFinished(1000);
    p.kill();
    p.waitForFinished(30000);
    err += QString::fromLocal8Bit(p.readAllStandardError());
    QVERIFY2(stillRunning, qPrintable(err));
    QVERIFY2(err.contains(missing), qPrintable(err));
}

// --audio is the window's: the song is set after the shows open, from "音乐…"'s object; a
// song that cannot be read keeps the link and says why in the status line.
void tst_commandline::audioSetsTheOpenedShowsSong()
{
    const QString song = m_dir.filePath("missing.wav");
    commandLine line;
    QVERIFY(line.parse({"dmxplayer", "--audio", song, m_show}));
    QCOMPARE(line.files(), QStringList{m_show});
    QVERIFY(line.ignored().isEmpty());
    QQmlApplicationEngine engine;
    QObject *window = openWindow(engine);
    QVERIFY(window && startFiles::open(window, line.files()).isEmpty());
    QVERIFY(startFiles::attachSong(line.audio()));
    auto *state = g_dimList->findChild<songState *>();
    QCOMPARE(state->link().path, QStringLiteral("missing.wav"));
    QCOMPARE(window->findChild<QObject *>("songButton")->property("text").toString(),
             QStringLiteral("音乐…"));
    QTRY_VERIFY(
        window->findChild<QObject *>("statesText")->property("text").toString().contains(song));
}

void tst_commandline::badOscOptionsEndTheProgram_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("port not a number") << QStringList{"--osc-port", "x"} << "--osc-port takes";
    QTest::newRow("port too big") << QStringList{"--osc-port=65536"} << "--osc-port takes";
    QTest::newRow("port missing") << QStringList{"--osc-port"} << "--osc-port takes";
    QTest::newRow("address not one")
        << QStringList{"--osc-address", "stage"} << "--osc-address takes";
}

// Before the window opens: a show must not start listening somewhere it was not meant to.
void tst_commandline::badOscOptionsEndTheProgram()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    childProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_QUICK_BACKEND", "software");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(REAL_PLAYER), args);
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 2);
    QVERIFY(QString::fromLocal8Bit(p.readAllStandardError()).contains(reason));
}

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
