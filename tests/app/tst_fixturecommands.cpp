#include "childprocess.h"
#include "testfiles.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <QtTest>

class tst_fixturecommands : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void listsEveryLibrary();
    void listsAllWithoutText();
    void showFixture_data();
    void showFixture();
    void refusedCombinations_data();
    void refusedCombinations();

  private:
    int run(const QStringList &args, QString &out, QString &err);
    QTemporaryDir m_home;
};

namespace
{
const QByteArray kLaser =
    "<?xml version=\"1.0\"?>\n<FixtureDefinition "
    "xmlns=\"http://www.qlcplus.org/FixtureDefinition\">\n"
    " <Manufacturer>Qwerty</Manufacturer><Model>Qwerty Beam</Model><Type>Laser</Type>\n"
    " <Channel Name=\"Pattern\"><Group Byte=\"0\">Effect</Group>\n"
    "  <Capability Min=\"0\" Max=\"63\">Laser Off</Capability>\n"
    "  <Capability Min=\"64\" Max=\"255\">Triangle \"1\"</Capability></Channel>\n"
    " <Channel Name=\"Pan\" Preset=\"PositionPan\"/>\n"
    " <Channel Name=\"Pan fine\" Preset=\"PositionPanFine\"/>\n"
    " <Mode Name=\"2 channels\"><Channel Number=\"0\">Pattern</Channel>"
    "<Channel Number=\"1\">Pan</Channel></Mode>\n"
    " <Mode Name=\"3 channels\"><Channel Number=\"0\">Pan</Channel>"
    "<Channel Number=\"1\">Pan fine</Channel><Channel Number=\"2\">Pattern</Channel></Mode>\n"
    "</FixtureDefinition>\n";

const QByteArray kSpot =
    "{\"name\": \"Qwerty Spot\", \"categories\": [\"Moving Head\"], "
    "\"availableChannels\": {\"Gobo\": {\"capabilities\": ["
    "{\"dmxRange\": [0, 99], \"type\": \"WheelSlot\", \"slotNumber\": 1}, "
    "{\"dmxRange\": [100, 255], \"type\": \"Effect\", \"effectName\": \"Fire\","
    " \"comment\": \"Fire effect\"}]}}, "
    "\"modes\": [{\"name\": \"1ch\", \"channels\": [\"Gobo\"]}]}";
} // namespace

void tst_fixturecommands::initTestCase()
{
    QVERIFY(m_home.isValid());
    writeTestFile(m_home.filePath(".qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf"), kLaser);
    writeTestFile(m_home.filePath(".local/share/dmxplayer/fixtures/manufacturers.json"),
                  "{\"qwerty\": {\"name\": \"Qwerty Lights\"}}");
    writeTestFile(m_home.filePath(".local/share/dmxplayer/fixtures/qwerty/spot.json"), kSpot);
    writeTestFile(m_home.filePath(".local/share/dmxplayer/fixtures/qwerty/pixels.json"),
                  "{\"name\": \"Qwerty Bar\", \"templateChannels\": {}, \"modes\": []}");
    writeTestFile(m_home.filePath("broken.qxf"), kLaser.left(200));
}

// The program as installed, with the temporary home and no display at all.
int tst_fixturecommands::run(const QStringList &args, QString &out, QString &err)
{
    childProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), m_home.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(REAL_PLAYER), args);
    if (!p.waitForFinished(60000))
        return -1;
    out = QString::fromUtf8(p.readAllStandardOutput());
    err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

void tst_fixturecommands::listsEveryLibrary()
{
    QString out, err;
    QCOMPARE(run({"--list-fixtures", "QWERTY"}, out, err), 0);
    const QString user = m_home.path();
    QCOMPARE(out.split('\n', Qt::SkipEmptyParts),
             QStringList({"Qwerty\tQwerty Beam\t2 channels\t2\t" + user +
                              "/.qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf",
                          "Qwerty\tQwerty Beam\t3 channels\t3\t" + user +
                              "/.qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf",
                          "Qwerty Lights\tQwerty Spot\t1ch\t1\t" + user +
                              "/.local/share/dmxplayer/fixtures/qwerty/spot.json"}));
    QVERIFY2(err.contains("qwerty/pixels.json: skipped: a matrix (pixel) fixture"),
             qPrintable(err));
}

// Without TEXT every mode of every library: the installed ones and the user's.
void tst_fixturecommands::listsAllWithoutText()
{
    QVERIFY2(QDir("/usr/share/qlcplus/fixtures").exists(), "install qlcplus-data");
    QString out, err;
    QCOMPARE(run({"--list-fixtures"}, out, err), 0);
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    QVERIFY2(lines.size() > 3000, qPrintable(QString::number(lines.size())));
    QVERIFY(out.contains("UKing\tZQ-B370\tStandard\t7\t/usr/share/qlcplus/fixtures/UKing/"
                         "UKing-ZQ-B370-Laser.qxf\n"));
    QVERIFY(out.contains("\tQwerty Spot\t1ch\t1\t"));
    for (const QString &line : lines)
        QCOMPARE(line.count('\t'), 4);
}

void tst_fixturecommands::showFixture_data()
{
    QTest::addColumn<QString>("file"); // relative to the home folder
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>(
        "expected"); // modes as "name: channel[snap]{ranges} ..." or "!" error

    QTest::newRow("qxf, all modes")
        << ".qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf" << QStringList()
        << "Qwerty|Qwerty Beam|2 channels: Pattern[snap]{0-63 Laser Off;64-255 Triangle \"1\"} "
           "Pan[]{0-255 Pan} / 3 channels: Pan[]{0-255 Pan} Pan fine[fine]{0-255 Pan fine} "
           "Pattern[snap]{0-63 Laser Off;64-255 Triangle \"1\"}";
    QTest::newRow("qxf, one mode")
        << ".qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf" << QStringList{"--mode", "2 channels"}
        << "Qwerty|Qwerty Beam|2 channels: Pattern[snap]{0-63 Laser Off;64-255 Triangle \"1\"} "
           "Pan[]{0-255 Pan}";
    QTest::newRow("ofl in its tree")
        << ".local/share/dmxplayer/fixtures/qwerty/spot.json" << QStringList()
        << "Qwerty Lights|Qwerty Spot|1ch: Gobo[snap]{0-99 WheelSlot 1;100-255 Fire effect}";
    QTest::newRow("unknown mode") << ".qlcplus/fixtures/Qwerty/Qwerty-Beam.qxf"
                                  << QStringList{"--mode", "9 channels"}
                                  << "!has no mode \"9 channels\" (it has \"2 channels\", "
                                     "\"3 channels\")";
    QTest::newRow("matrix") << ".local/share/dmxplayer/fixtures/qwerty/pixels.json" << QStringList()
                            << "!pixels.json: a matrix (pixel) fixture";
    QTest::newRow("broken") << "broken.qxf" << QStringList() << "!broken.qxf: broken XML";
    QTest::newRow("missing") << "none.json" << QStringList() << "!none.json: cannot be read";
    QTest::newRow("other file") << ".local/share/dmxplayer/fixtures/manufacturers.json"
                                << QStringList() << "!neither a .qxf nor an Open Fixture Library";
}

void tst_fixturecommands::showFixture()
{
    QFETCH(QString, file);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    QString out, err;
    const int code = run(QStringList{"--show-fixture", m_home.filePath(file)} + options, out, err);
    if (expected.startsWith('!')) {
        QCOMPARE(code, 1);
        QCOMPARE(out, QString());
        QVERIFY2(err.contains(expected.mid(1)), qPrintable(err));
        return;
    }
    QCOMPARE(code, 0);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(out.toUtf8(), &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + out));
    QStringList modes;
    for (const QJsonValue mode : root.value("modes").toArray()) {
        QStringList channels;
        for (const QJsonValue channelValue : mode.toObject().value("channels").toArray()) {
            const QJsonObject channel = channelValue.toObject();
            QStringList ranges;
            for (const QJsonValue range : channel.value("capabilities").toArray())
                ranges << QStringLiteral("%1-%2 %3")
                              .arg(range.toObject().value("min").toInt())
                              .arg(range.toObject().value("max").toInt())
                              .arg(range.toObject().value("name").toString());
            const QString flags = channel.value("snap").toBool()   ? "snap"
                                  : channel.value("fine").toBool() ? "fine"
                                                                   : "";
            channels << QStringLiteral("%1[%2]{%3}")
                            .arg(channel.value("name").toString(), flags, ranges.join(';'));
        }
        modes << mode.toObject().value("name").toString() + ": " + channels.join(' ');
    }
    QCOMPARE(root.value("manufacturer").toString() + '|' + root.value("model").toString() + '|' +
                 modes.join(" / "),
             expected);
}

void tst_fixturecommands::refusedCombinations_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("reason");
    QTest::newRow("mode alone") << QStringList{"--mode", "x"} << "--mode goes with --show-fixture";
    QTest::newRow("list and show")
        << QStringList{"--list-fixtures", "--show-fixture", "a.qxf"} << "give one of";
    QTest::newRow("list and export")
        << QStringList{"--list-fixtures", "--export-c", "a.dmx", "b.c"} << "give one of";
    QTest::newRow("two texts") << QStringList{"--list-fixtures", "a", "b"}
                               << "--list-fixtures takes at most one TEXT";
    QTest::newRow("show with more files")
        << QStringList{"--show-fixture", "a.qxf", "b.qxf"} << "--show-fixture takes one file";
}

void tst_fixturecommands::refusedCombinations()
{
    QFETCH(QStringList, args);
    QFETCH(QString, reason);
    QString out, err;
    QCOMPARE(run(args, out, err), 1);
    QVERIFY2(err.contains(reason), qPrintable(err));
}

QTEST_GUILESS_MAIN(tst_fixturecommands)
#include "tst_fixturecommands.moc"
