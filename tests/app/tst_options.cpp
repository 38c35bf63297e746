#include "commandline.h"

#include <QtTest>

// The window's options as the start-up reads them: one parse, then plain settings for
// remote control and timecode chase, the shows to open and the options left alone.
class tst_options : public QObject
{
    Q_OBJECT

  private slots:
    void windowOptions_data();
    void windowOptions();
};

void tst_options::windowOptions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error"); // the start of the reason; empty when accepted
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("ignored");

    const QString p = QStringLiteral("dmxplayer");
    const QString show = QStringLiteral("show.dmx");
    const QString port = QStringLiteral("--osc-port takes a port from 0 (off) to 65535");
    const QString address = QStringLiteral("--osc-address takes an IP address (0.0.0.0: all)");
    const QString source = QStringLiteral("--timecode takes artnet, mtc or ltc");
    const QString offset = QStringLiteral("--timecode-offset takes a time as HH:MM:SS:FF");
    const QStringList none;
    QTest::newRow("none") << QStringList{p, show} << "" << -1 << ""
                          << ""
                          << "" << QStringList{show} << none;
    QTest::newRow("port") << QStringList{p, "--osc-port", "9000", show} << "" << 9000 << ""
                          << ""
                          << "" << QStringList{show} << none;
    QTest::newRow("port 0 is off") << QStringList{p, "--osc-port=0"} << "" << 0 << ""
                                   << ""
                                   << "" << none << none;
    QTest::newRow("all interfaces")
        << QStringList{p, "--osc-address", "0.0.0.0", "--osc-port", "7000"} << "" << 7000
        << "0.0.0.0"
        << ""
        << "" << none << none;
    QTest::newRow("after --, files")
        << QStringList{p, "--", "--osc-port", "--timecode"} << "" << -1 << ""
        << ""
        << "" << QStringList{"--osc-port", "--timecode"} << none;
    QTest::newRow("port missing") << QStringList{p, "--osc-port"} << port << -1 << ""
                                  << ""
                                  << "" << none << none;
    QTest::newRow("port too big") << QStringList{p, "--osc-port", "70000"} << port << -1 << ""
                                  << ""
                                  << "" << none << none;
    QTest::newRow("port not a number") << QStringList{p, "--osc-port=x"} << port << -1 << ""
                                       << ""
                                       << "" << none << none;
    QTest::newRow("a later port does not hide a bad one")
        << QStringList{p, "--osc-port", "x", "--osc-port", "9000"} << port << -1 << ""
        << ""
        << "" << none << none;
    QTest::newRow("address not one")
        << QStringList{p, "--osc-address", "stage"} << address << -1 << ""
        << ""
        << "" << none << none;
    QTest::newRow("the first bad value is named")
        << QStringList{p, "--osc-address", "stage", "--osc-port", "x"} << address << -1 << ""
        << ""
        << "" << none << none;
    QTest::newRow("art-net with an offset")
        << QStringList{p, "--timecode", "artnet", "--timecode-offset=01:00:00:00", show} << "" << -1
        << ""
        << "artnet"
        << "01:00:00:00" << QStringList{show} << none;
    QTest::newRow("ltc, drop-frame offset")
        << QStringList{p, "--timecode=ltc", "--timecode-offset", "00:10:00;02"} << "" << -1 << ""
        << "ltc"
        << "00:10:00;02" << none << none;
    QTest::newRow("unknown source") << QStringList{p, "--timecode", "smpte"} << source << -1 << ""
                                    << ""
                                    << "" << none << none;
    QTest::newRow("source missing") << QStringList{p, "--timecode"} << source << -1 << ""
                                    << ""
                                    << "" << none << none;
    QTest::newRow("offset not a time")
        << QStringList{p, "--timecode-offset", "1:00"} << offset << -1 << ""
        << ""
        << "" << none << none;
    QTest::newRow("remote's reason before timecode's")
        << QStringList{p, "--timecode-offset=1", "--osc-port", "70000"} << port << -1 << ""
        << ""
        << "" << none << none;
    // A conversion's option takes its value here too; neither is a show.
    QTest::newRow("other options named as written, shows in order")
        << QStringList{p,      "b.dmx",   "-xyz", "--foo=bar", "--osc-port",
                       "9000", "--range", "1:2",  "a.c"}
        << "" << 9000 << ""
        << ""
        << "" << QStringList{"b.dmx", "a.c"} << QStringList{"-xyz", "--foo=bar", "--range"};
}

void tst_options::windowOptions()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    commandLine line;
    line.parse(arguments);
    remoteOptions remote;
    syncOptions sync;
    QString problem;
    const bool ok = line.remote(remote, problem) && line.sync(sync, problem);
    QCOMPARE(problem, error);
    QCOMPARE(ok, error.isEmpty());
    if (!ok)
        return;
    QTEST(remote.oscPort, "port");
    QTEST(remote.oscAddress, "address");
    QTEST(sync.timecode, "source");
    QTEST(sync.offset, "offset");
    QTEST(line.files(), "files");
    QTEST(line.ignored(), "ignored");
}

QTEST_GUILESS_MAIN(tst_options)
#include "tst_options.moc"
