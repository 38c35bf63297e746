#include "coretestsupport.h"
#include "playengine.h"
#include "showchase.h"
#include "showtimeline.h"
#include "synccontrol.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>

// The window's side of tempo and timecode: the command line, the offset, the MIDI clock
// starting and stopping playback, and a show following Art-Net timecode end to end.
class tst_synccontrol : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void init() { freshCore(modelCheck::fatal, engineTime::steady); }
    void cleanup();
    void offset_data();
    void offset();
    void midiClockDrivesPlayback();
    void followsArtnetTimecode();
    void startsUnattendedOnce();

  private:
    QTemporaryDir m_settings;
};

namespace
{
qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::atomic<int> g_slot0{-1};
std::atomic<int> g_frames{0};

void keepSlot0(const unsigned char *frame, void *)
{
    g_slot0 = frame[0];
    ++g_frames;
}

// OpTimeCode at 25 frames per second to the loopback port.
void sendTimecode(quint16 port, qint64 ms)
{
    const qint64 frames = ms / 40;
    QByteArray packet("Art-Net\0", 8);
    packet += QByteArray::fromHex("0097000e0000");
    packet += char(frames % 25);
    packet += char(frames / 25 % 60);
    packet += char(frames / 1500 % 60);
    packet += char(frames / 90000);
    packet += char(1);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(fd, packet.constData(), size_t(packet.size()), 0, reinterpret_cast<sockaddr *>(&to),
             sizeof to);
    ::close(fd);
}
} // namespace

// The offset and the beat steps are kept in settings of the test's own.
void tst_synccontrol::initTestCase()
{
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
}

void tst_synccontrol::cleanup()
{
    dropCore();
    dmxbox_setFrameHook(nullptr, nullptr);
}

void tst_synccontrol::offset_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<qint64>("ms"); // at 25 frames per second
    QTest::newRow("an hour and a frame") << "01:00:00:01" << true << qint64(3600040);
    QTest::newRow("drop-frame, a frame that exists") << "00:01:00;02" << true << qint64(60060);
    QTest::newRow("drop-frame, a frame dropped") << "00:01:00;00" << false << qint64(0);
    QTest::newRow("not a time") << "soon" << false << qint64(0);
}

// A time not valid is refused and the offset before stays.
void tst_synccontrol::offset()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(qint64, ms);
    syncControl sync(coreModel(), nullptr);
    QVERIFY(sync.setTimecodeOffset(QStringLiteral("00:00:02:00")));
    QCOMPARE(sync.setTimecodeOffset(text), ok);
    QCOMPARE(coreModel()->chase()->offsetMs(), ok ? ms : 2000);
    if (!ok)
        QCOMPARE(sync.timecodeOffset(), QStringLiteral("00:00:02:00"));
}

// Start plays the range from its first row, Stop stops, Continue goes on; the pulses give
// the tempo.
void tst_synccontrol::midiClockDrivesPlayback()
{
    dimList *m = coreModel();
    appendRow(0, 2, 10);
    appendRow(0, 2, 200);
    appendRow(0, 2, 90);
    m->dmxRowToDim(2);
    m->setPlayerEndRow(1);
    syncControl sync(m, nullptr);
    const unsigned char start = 0xFA;
    const unsigned char stop = 0xFC;
    const unsigned char resume = 0xFB;
    const unsigned char pulse = 0xF8;
    const qint64 t0 = nowNs();
    QVERIFY(sync.midiMessage(&start, 1, t0));
    for (int i = 0; i < 48; ++i)
        QVERIFY(sync.midiMessage(&pulse, 1, t0 + i * 20833333LL));
    QTRY_VERIFY(m->playing());
    // From the range's start, the range kept as it was.
    QCOMPARE(m->playStart(), 2);
    QCOMPARE(m->playEnd(), 1);
    QTRY_COMPARE(qRound(sync.bpm() * 10), 1200);
    QVERIFY(sync.midiMessage(&stop, 1, t0 + 48 * 20833333LL));
    QTRY_VERIFY(!m->playing());
    QVERIFY(sync.midiMessage(&resume, 1, t0 + 49 * 20833333LL));
    QTRY_VERIFY(m->playing());
    const unsigned char note[] = {0x90, 60, 100};
    QVERIFY(!sync.midiMessage(note, 3, t0));
}

// Timecode sent by a test sender: the output follows it, locates on a jump and stands still
// when it stops, and the window says so.
void tst_synccontrol::followsArtnetTimecode()
{
    dimList *m = coreModel();
    for (int r = 0; r < 6; ++r)
        appendRow(quint16(r % 3), quint16(2 + r), quint16(40 * r + 7));
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(5);
    showTimeline::setup show;
    show.rows = m->steps();
    show.playEnd = 5;
    const auto line = showTimeline::build(show);
    auto expected = [&line](qint64 ms) {
        return int(line->levelsAt(line->locate(ms - 3600000))[0]);
    };
    syncControl sync(m, nullptr);
    sync.setArtnetPort(0);
    QVERIFY(sync.setTimecodeOffset(QStringLiteral("01:00:00:00")));
    QVERIFY(sync.setTimecodeSource(QStringLiteral("artnet")));
    QVERIFY(sync.artnetPort() > 0);
    QCOMPARE(sync.timecodeStateText(), QStringLiteral("等待时间码"));
    dmxbox_setFrameHook(keepSlot0, nullptr);
    m->sendDmxEnable(true);
    for (qint64 ms = 3600000 - 400; ms < 3600000 + 3000; ms += 40) {
        sendTimecode(sync.artnetPort(), ms);
        QTRY_COMPARE(m->engine()->chasedMs(), ms);
        QTRY_COMPARE(int(g_slot0), expected(ms));
    }
    const qint64 jump = 3600000 + 37 * 60 * 1000 + 440;
    sendTimecode(sync.artnetPort(), jump);
    QTRY_COMPARE(int(g_slot0), expected(jump));
    QTRY_COMPARE(sync.timecodeStateText(), QStringLiteral("时间码停止，输出保持"));
    QCOMPARE(int(g_slot0), expected(jump));
    QCOMPARE(sync.timecode(), QStringLiteral("01:37:00:11"));
}

// --timecode switches output and playback on once the show is there; a stop by hand later
// stays a stop.
void tst_synccontrol::startsUnattendedOnce()
{
    dimList *m = coreModel();
    syncControl sync(m, nullptr);
    sync.setArtnetPort(0);
    sync.start({QStringLiteral("artnet"), QStringLiteral("00:00:10:00")});
    QCOMPARE(sync.timecodeSource(), QStringLiteral("artnet"));
    QCOMPARE(m->chase()->offsetMs(), 10000);
    appendRow(0, 2, 10);
    m->refrushModel();
    QTRY_VERIFY(m->playing() && m->outputEnabled());
    m->sendDmxEnable(false);
    m->refrushModel();
    appendRow(0, 2, 20);
    m->refrushModel();
    QCoreApplication::processEvents();
    QVERIFY(!m->playing());
}

QTEST_GUILESS_MAIN(tst_synccontrol)
#include "tst_synccontrol.moc"
