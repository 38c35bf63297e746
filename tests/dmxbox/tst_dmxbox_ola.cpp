// Runs inside tools/olad-sandbox.sh: a private olad whose Dummy output port is universe 1.
#include "coretestsupport.h"
#include "dmxbox.h"
#include "enginetime.h"
#include "olareader.h"
#include "showchase.h"

#include <QMutex>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/types.h>

namespace
{
QMutex s_logMutex;
QStringList s_log;
QtMessageHandler s_previousHandler = nullptr;

void captureLog(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.startsWith(QLatin1String("DMXSendBox:"))) {
        QMutexLocker lock(&s_logMutex);
        s_log.append(text);
    }
    s_previousHandler(type, context, text);
}

int logCount(const QString &part)
{
    QMutexLocker lock(&s_logMutex);
    return int(std::count_if(s_log.cbegin(), s_log.cend(),
                             [&](const QString &line) { return line.contains(part); }));
}

QByteArray filled(int value)
{
    return QByteArray(512, char(value));
}

QByteArray pattern(int seed)
{
    QByteArray frame(512, 0);
    for (int i = 0; i < 512; ++i)
        frame[i] = char((i * 7 + seed * 31 + 3) & 0xff);
    return frame;
}

int send(const QByteArray &frame, int device = 0)
{
    QByteArray copy = frame;
    return DMXSendBox(device, reinterpret_cast<unsigned char *>(copy.data()));
}

// Repeats the frame until the library has a connection to hand it to.
bool sendUntilAccepted(const QByteArray &frame, int ms, int device = 0)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (send(frame, device) == 1)
            return true;
        QThread::msleep(5);
    }
    return false;
}

bool sandbox(const QString &action)
{
    return QProcess::execute(QStringLiteral("bash"),
                             {qEnvironmentVariable("OLAD_SANDBOX_CTL"), action}) == 0;
}

pid_t oladPid()
{
    QFile file(qEnvironmentVariable("OLAD_SANDBOX") + QStringLiteral("/olad.pid"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return pid_t(file.readAll().trimmed().toInt());
}

// How many of the frames the library took while nothing can be delivered.
// Connection attempts that failed in this network namespace (the sandbox's own), as the
// kernel counts them.
int failedConnects()
{
    QFile snmp(QStringLiteral("/proc/net/snmp"));
    if (!snmp.open(QIODevice::ReadOnly))
        return -1;
    // Read whole: a file under /proc has no size to read up to.
    QList<QByteArray> names;
    for (const QByteArray &line : snmp.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.value(0) != "Tcp:")
            continue;
        if (names.isEmpty())
            names = fields;
        else
            return fields.value(names.indexOf("AttemptFails")).toInt();
    }
    return -1;
}

int sendAll(int calls)
{
    int accepted = 0;
    for (int i = 0; i < calls; ++i)
        accepted += send(pattern(i));
    return accepted;
}
} // namespace

class tst_DmxboxOla : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void connectsToPatchedUniverse();
    void framesReadBackExactly_data();
    void framesReadBackExactly();
    void everyFrameArrivesInOrder();
    void playbackReachesOlaAtFrameRate();
    void fullSocketDropsInsteadOfBlocking();
    void absentOladFailsFast();
    void processWithoutOladLogsOnceAndExits();
    void reconnectsAtMostOncePerSecond();
    void restartedOladGetsOnlyNewFrames();
    void unpatchedUniverseIsReported();
    void lastFrameArrivesAtExit_data();
    void lastFrameArrivesAtExit();
    void badArgumentsAreDropped();
    void stateFollowsOlad_data();
    void stateFollowsOlad();
    void frameAskedWhileConnectingArrives_data();
    void frameAskedWhileConnectingArrives();
    void closeConfirmsLastFrameThenDrops();
    void cleanup() { coreFixture::drop(); }
    void cleanupTestCase();
};

void tst_DmxboxOla::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("OLAD_SANDBOX") || oladPid() <= 0)
        QFAIL("run this through tools/olad-sandbox.sh run, which provides the olad it talks to");
    s_previousHandler = qInstallMessageHandler(captureLog);
}

void tst_DmxboxOla::connectsToPatchedUniverse()
{
    QVERIFY(sendUntilAccepted(filled(0x5a), 5000));
    QCOMPARE(logCount("connected to olad"), 1);
    QCOMPARE(logCount("olad is not running"), 0);
    // The patch check runs beside the sending; give it time to answer.
    olaReader reader;
    QVERIFY(reader.open(1));
    reader.pump(1500);
    QCOMPARE(logCount("no output port"), 0);
    QCOMPARE(logCount("could not ask"), 0);
}

void tst_DmxboxOla::framesReadBackExactly_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("all 0x00") << filled(0x00);
    QTest::newRow("all 0xFF") << filled(0xff);
    QTest::newRow("pattern") << pattern(1);
    QTest::newRow("single slot 512") << QByteArray(511, 0).append(char(0x80));
}

void tst_DmxboxOla::framesReadBackExactly()
{
    QFETCH(QByteArray, frame);
    olaReader reader;
    QVERIFY(reader.open(1));
    QCOMPARE(send(frame), 1);
    QVERIFY(reader.waitForUpdate(frame, 3000));
    QCOMPARE(reader.fetch(), frame);
}

void tst_DmxboxOla::everyFrameArrivesInOrder()
{
    olaReader reader;
    QVERIFY(reader.open(1));
    QVector<QByteArray> sent;
    for (int i = 0; i < 100; ++i) {
        sent.append(pattern(100 + i));
        QCOMPARE(send(sent.last()), 1);
        reader.pump(3);
    }
    QVERIFY(reader.waitForUpdate(sent.last(), 3000));
    QCOMPARE(reader.updates().size(), sent.size());
    QVERIFY(reader.updates() == sent);
}

void tst_DmxboxOla::playbackReachesOlaAtFrameRate()
{
    // A three-step program cross-faded over 10 ticks per step, sent by the output object on
    // a 30 ms tick the way playback does.
    // Every frame is compared: the new graph's output thread sends them on real time, and at
    // 30 ms they are twice their least distance apart, so none is merged with the next.
    dmx *out = coreFixture::renew(modelCheck::fatal, {}, engineTime::steady)->output();
    for (int i = 0; i < out->patch()->size(); ++i)
        fixture(i)->setSelectUnannounced(true);
    out->setOutputEnabled(true);
    out->setSendLive(false);
    const int steps[] = {0, 255, 60, 200};
    const int ticksPerStep = 10;
    const int ticks = 3 * ticksPerStep;

    olaReader reader;
    QVERIFY(reader.open(1));
    QVector<QByteArray> sent;
    int tick = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(30);
    connect(&timer, &QTimer::timeout, this, [&] {
        const int step = tick / ticksPerStep;
        const int t = tick % ticksPerStep + 1;
        const int level = steps[step] + (steps[step + 1] - steps[step]) * t / ticksPerStep;
        for (ushort c = 0; c < 18; ++c)
            out->setDmxValue(uchar((level + c * 13) & 0xff), c);
        out->sendDmx();
        sent.append(QByteArray(reinterpret_cast<const char *>(g_dmxFrame), 512));
        if (++tick == ticks)
            timer.stop();
    });
    QTimer pump;
    pump.setInterval(2);
    connect(&pump, &QTimer::timeout, this, [&] { reader.pump(0); });
    pump.start();
    timer.start();
    QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!reader.updates().isEmpty() && reader.updates().last() == sent.last(),
                             3000);
    pump.stop();

    QCOMPARE(sent.size(), ticks);
    QVERIFY(reader.updates() == sent);
}

void tst_DmxboxOla::fullSocketDropsInsteadOfBlocking()
{
    const pid_t pid = oladPid();
    QVERIFY(pid > 0);
    QVERIFY(sendUntilAccepted(pattern(7), 5000));
    const int lost = logCount("lost the connection");
    QCOMPARE(::kill(pid, SIGSTOP), 0);
    // A stopped olad reads nothing; the socket fills and then frames must be dropped (a
    // blocking call would hang here for good).
    int calls = 0;
    while (calls < 1000000 && send(pattern(calls)) == 1)
        ++calls;
    QCOMPARE(::kill(pid, SIGCONT), 0);
    // The kernel's queue for olad is kept to a few dozen frames, not megabytes.
    QVERIFY2(calls < 1000, qPrintable(QStringLiteral("%1 frames queued").arg(calls)));
    QCOMPARE(logCount("lost the connection"), lost + 1);

    // Once resumed, olad first works off what the dropped connection had queued in the
    // kernel, so keep sending as playback would until the universe holds the new frame for
    // good (ten checks in a row).
    const QByteArray after = pattern(9999);
    olaReader reader;
    QVERIFY(reader.open(1));
    QVERIFY(sendUntilAccepted(after, 5000));
    int steady = 0;
    QElapsedTimer waited;
    waited.start();
    while (steady < 10 && waited.elapsed() < 10000) {
        send(after);
        steady = reader.fetch() == after ? steady + 1 : 0;
        QThread::msleep(30);
    }
    QCOMPARE(steady, 10);
}

void tst_DmxboxOla::absentOladFailsFast()
{
    QVERIFY(sendUntilAccepted(pattern(11), 5000));
    const int lost = logCount("lost the connection");
    const int connected = logCount("connected to olad");
    QVERIFY(sandbox("stop"));

    // The first call after the daemon went may still find room in the dead socket.
    QVERIFY(sendAll(5000) <= 1);
    // Retries keep failing behind the scenes, yet the log holds one line for the change. Two
    // more attempts, so at least one came after the library's pause between retries.
    const int failed = failedConnects();
    QVERIFY(failed >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(send(pattern(12)) == 0 && failedConnects() >= failed + 2, 5000);
    QCOMPARE(sendAll(100), 0);
    QCOMPARE(logCount("lost the connection"), lost + 1);
    QCOMPARE(logCount("connected to olad"), connected);
    QCOMPARE(logCount("olad is not running"), 0);
}

void tst_DmxboxOla::processWithoutOladLogsOnceAndExits()
{
    // olad is stopped here. A process that never sees it says so once, retries quietly and
    // does not hang at exit.
    QProcess helper;
    helper.start(QStringLiteral(EXIT_HELPER), {QStringLiteral("burst"), QStringLiteral("9")});
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    const QString err = QString::fromUtf8(helper.readAllStandardError());
    QCOMPARE(err.count(QStringLiteral("DMXSendBox:")), 1);
    QCOMPARE(err.count(QStringLiteral("DMXSendBox: olad is not running")), 1);
}

void tst_DmxboxOla::reconnectsAtMostOncePerSecond()
{
    // Stands in for olad: takes every connection and closes it at once, so each attempt
    // connects, loses the link on the next frame, and has to wait for the next retry.
    QTcpServer fake;
    QVERIFY(fake.listen(QHostAddress::LocalHost, 9010));
    int connections = 0;
    connect(&fake, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *socket = fake.nextPendingConnection()) {
            ++connections;
            socket->abort();
            socket->deleteLater();
        }
    });
    QElapsedTimer t;
    t.start();
    int frames = 0;
    while (t.elapsed() < 3200) {
        send(pattern(frames++));
        QTest::qWait(1);
    }
    fake.close();
    QVERIFY(frames > 500);
    // One frame stream and one patch check per attempt, attempts at 0, 1, 2 and 3 s.
    QVERIFY2(connections >= 2 && connections <= 10,
             qPrintable(QStringLiteral("%1 connections").arg(connections)));
}

void tst_DmxboxOla::restartedOladGetsOnlyNewFrames()
{
    const int connected = logCount("connected to olad");
    const QByteArray old = filled(0x33);
    QCOMPARE(send(old), 0);
    QVERIFY(sandbox("start"));
    olaReader reader;
    QVERIFY(reader.open(1));
    const QByteArray fresh = filled(0x44);
    QVERIFY(sendUntilAccepted(fresh, 5000));
    QVERIFY(reader.waitForUpdate(fresh, 3000));
    // The frame left while olad was away may come first, never after a newer one.
    QVERIFY(reader.updates().lastIndexOf(old) < reader.updates().indexOf(fresh));
    QCOMPARE(logCount("connected to olad"), connected + 1);
}

void tst_DmxboxOla::unpatchedUniverseIsReported()
{
    QVERIFY(sandbox("stop"));
    send(filled(1), 1);
    QVERIFY(sandbox("start"));
    QCOMPARE(logCount("universe 2 has no output port"), 0);
    QVERIFY(sendUntilAccepted(filled(2), 5000, 1));
    QTRY_COMPARE_WITH_TIMEOUT(logCount("universe 2 has no output port"), 1, 3000);
    QCOMPARE(logCount("universe 1 has no output port"), 0);
}

void tst_DmxboxOla::lastFrameArrivesAtExit_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("value");
    QTest::newRow("after a stream of frames") << QStringLiteral("stream") << 0x61;
    QTest::newRow("a single frame, never streamed") << QStringLiteral("single") << 0x62;
    // As in the program: the output thread sends, the main thread closes.
    QTest::newRow("sent from another thread") << QStringLiteral("thread") << 0x63;
}

void tst_DmxboxOla::lastFrameArrivesAtExit()
{
    QFETCH(QString, mode);
    QFETCH(int, value);
    // A fresh olad, so no frame of this process competes for the universe.
    QVERIFY(sandbox("stop"));
    QVERIFY(sandbox("start"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedChannels);
    helper.start(QStringLiteral(EXIT_HELPER), {mode, QString::number(value)});
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    olaReader reader;
    QVERIFY(reader.open(1));
    QCOMPARE(reader.fetch(), filled(value));
}

void tst_DmxboxOla::badArgumentsAreDropped()
{
    QCOMPARE(DMXSendBox(0, nullptr), 0);
    QByteArray frame = filled(3);
    QCOMPARE(DMXSendBox(-1, reinterpret_cast<unsigned char *>(frame.data())), 0);
}

void tst_DmxboxOla::stateFollowsOlad_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("logged");
    // One olad through a sequence of changes; each row starts where the previous one ended.
    QTest::newRow("running") << QString() << int(DMXBOX_STATE_CONNECTED) << QString();
    QTest::newRow("unpatched") << QStringLiteral("unpatch") << int(DMXBOX_STATE_NO_PORT)
                               << QStringLiteral("universe 1 has no");
    QTest::newRow("patched") << QStringLiteral("patch") << int(DMXBOX_STATE_CONNECTED) << QString();
    QTest::newRow("stalled") << QStringLiteral("sigstop") << int(DMXBOX_STATE_STALLED)
                             << QStringLiteral("does not answer");
    QTest::newRow("resumed") << QStringLiteral("sigcont") << int(DMXBOX_STATE_CONNECTED)
                             << QStringLiteral("answers again");
    QTest::newRow("stopped") << QStringLiteral("stop") << int(DMXBOX_STATE_NO_DAEMON) << QString();
    QTest::newRow("started") << QStringLiteral("start") << int(DMXBOX_STATE_CONNECTED) << QString();
}

void tst_DmxboxOla::stateFollowsOlad()
{
    QFETCH(QString, change);
    QFETCH(int, state);
    QFETCH(QString, logged);
    const int before = logCount(logged);
    if (change.endsWith(QLatin1String("patch")))
        QCOMPARE(QProcess::execute(QStringLiteral("ola_patch"),
                                   QStringLiteral("--%1 -d 1 -p 0 -u 1").arg(change).split(' ')),
                 0);
    else if (change.startsWith(QLatin1String("sig")))
        QCOMPARE(::kill(oladPid(), change == QLatin1String("sigstop") ? SIGSTOP : SIGCONT), 0);
    else if (!change.isEmpty())
        QVERIFY(sandbox(change));
    // Polled as the window does; once reached, the state holds and is logged once.
    QTRY_COMPARE_WITH_TIMEOUT(DMXBoxState(0), state, 4000);
    for (int i = 0; i < 15; ++i) {
        QTest::qWait(100);
        QCOMPARE(DMXBoxState(0), state);
    }
    if (!logged.isEmpty())
        QCOMPARE(logCount(logged), before + 1);
}

void tst_DmxboxOla::frameAskedWhileConnectingArrives_data()
{
    QTest::addColumn<bool>("chased");
    // Each sends one frame on the test's clock, and nothing sends it again.
    QTest::newRow("first tick of playback") << false;
    QTest::newRow("a single chased locate") << true;
}

void tst_DmxboxOla::frameAskedWhileConnectingArrives()
{
    QFETCH(bool, chased);
    // olad goes away and the library has tried and failed to reach it, so the next frame
    // is the one asked for while a connection is made.
    QVERIFY(sendUntilAccepted(pattern(21), 5000));
    QVERIFY(sandbox("stop"));
    const int failed = failedConnects();
    for (int i = 0; i < 100 && send(pattern(22)) == 1; ++i) {
    }
    QTRY_VERIFY_WITH_TIMEOUT(failedConnects() > failed, 5000);
    QVERIFY(sandbox("start"));
    olaReader reader;
    QVERIFY(reader.open(1));

    dimList *m = coreFixture::renew();
    for (quint16 level : {0x30, 0x60})
        appendRow(10, 0, level);
    m->dmxOutputEnable(true);
    m->setPlayerEndRow(1);
    if (chased) {
        m->chase()->setEnabled(true);
        testEngine()->timecode().publish({500, 12, timecodeSnapshot::fps25, 0});
    }
    m->sendDmxEnable(true);
    QVERIFY(runTicks(1));
    const QByteArray first(reinterpret_cast<const char *>(g_dmxFrame), 512);
    QVERIFY(first.contains(char(0x30)) || first.contains(char(0x60)));
    QVERIFY(reader.waitForUpdate(first, 5000));
    QCOMPARE(reader.updates().first(), first);
}

void tst_DmxboxOla::closeConfirmsLastFrameThenDrops()
{
    olaReader reader;
    QVERIFY(reader.open(1));
    QVERIFY(sendUntilAccepted(filled(0x71), 5000));
    QCOMPARE(send(filled(0x72)), 1);
    QCOMPARE(DMXCloseBox(), 1);
    QCOMPARE(reader.fetch(), filled(0x72));
    QCOMPARE(send(filled(0x73)), 0);
    QCOMPARE(DMXCloseBox(), 0);
    reader.pump(200);
    QCOMPARE(reader.fetch(), filled(0x72));
}

void tst_DmxboxOla::cleanupTestCase()
{
    // The output thread ends first, then the library's worker is joined before the exit
    // handlers run, as in the program.
    coreFixture::drop();
    DMXCloseBox();
}

QTEST_GUILESS_MAIN(tst_DmxboxOla)
#include "tst_dmxbox_ola.moc"
