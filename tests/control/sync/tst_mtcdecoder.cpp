#include "coretestsupport.h"
#include "jackserver.h"
#include "midiremote.h"
#include "mtcdecoder.h"
#include "remoteactions.h"
#include "timecode.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <rtmidi/RtMidi.h>

#include <chrono>

// MIDI time code: the decoder on its own, and fed by the MIDI input's sync listener on
// RtMidi's thread, through the JACK backend against a jackd -d dummy the test starts.
class tst_mtcdecoder : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void decodes_data();
    void decodes();
    void throughJack();

  private:
    QTemporaryDir m_settings;
    jackServer m_jack;
};

namespace
{
// The eight quarter frames that carry a time, piece 0 first.
QByteArray quarterFrames(int h, int m, int s, int f, int rate)
{
    const int values[8] = {f & 0xF, f >> 4, s & 0xF, s >> 4,
                           m & 0xF, m >> 4, h & 0xF, (h >> 4) | rate << 1};
    QByteArray out;
    for (int piece = 0; piece < 8; ++piece) {
        out += char(0xF1);
        out += char(piece << 4 | values[piece]);
    }
    return out;
}

QByteArray fullFrame(int h, int m, int s, int f, int rate, int device = 0x7F)
{
    const char bytes[10] = {char(0xF0),          0x7F,    char(device), 0x01,    0x01,
                            char(rate << 5 | h), char(m), char(s),      char(f), char(0xF7)};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray withoutPiece(QByteArray frames, int piece)
{
    return frames.remove(2 * piece, 2);
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int portNamed(RtMidi &midi, const std::string &name)
{
    for (unsigned i = 0; i < midi.getPortCount(); ++i) {
        if (midi.getPortName(i).find(name) != std::string::npos)
            return int(i);
    }
    return -1;
}

void sendAll(RtMidiOut &out, const QByteArray &messages)
{
    for (int i = 0; i + 1 < messages.size(); i += 2)
        out.sendMessage(reinterpret_cast<const unsigned char *>(messages.constData() + i), 2);
}
} // namespace

void tst_mtcdecoder::initTestCase()
{
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    qputenv("DMX_MIDI_API", "jack");
    m_jack.start();
}

void tst_mtcdecoder::cleanupTestCase()
{
    m_jack.stop();
}

void tst_mtcdecoder::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("time"); // published last ("": nothing)
    QTest::addColumn<qint64>("rate");
    QTest::addColumn<bool>("timecode"); // feed() says the bytes were time code

    using tc = timecodeSnapshot;
    QTest::newRow("25: two frames on from piece 0")
        << quarterFrames(1, 2, 3, 4, 1) << "01:02:03:06" << qint64(tc::fps25) << true;
    QTest::newRow("24 across a second")
        << quarterFrames(0, 0, 0, 22, 0) << "00:00:01:00" << qint64(tc::fps24) << true;
    QTest::newRow("30 across midnight")
        << quarterFrames(23, 59, 59, 28, 3) << "00:00:00:00" << qint64(tc::fps30) << true;
    QTest::newRow("drop-frame across minute 1")
        << quarterFrames(0, 0, 59, 28, 2) << "00:01:00;02" << qint64(tc::fps2997drop) << true;
    QTest::newRow("drop-frame across minute 10")
        << quarterFrames(0, 9, 59, 28, 2) << "00:10:00;00" << qint64(tc::fps2997drop) << true;
    QTest::newRow("two runs: the later counts")
        << quarterFrames(0, 0, 0, 0, 1) + quarterFrames(0, 0, 0, 2, 1) << "00:00:00:04"
        << qint64(tc::fps25) << true;
    QTest::newRow("full frame is the time as sent")
        << fullFrame(5, 6, 7, 8, 3) << "05:06:07:08" << qint64(tc::fps30) << true;
    QTest::newRow("full frame to one device")
        << fullFrame(5, 6, 7, 8, 0, 0x10) << "05:06:07:08" << qint64(tc::fps24) << true;
    QTest::newRow("jump by full frame while running")
        << quarterFrames(0, 0, 10, 0, 2) + fullFrame(10, 0, 0, 0, 2) << "10:00:00;00"
        << qint64(tc::fps2997drop) << true;
    QTest::newRow("full frame cuts an assembly short")
        << fullFrame(1, 0, 0, 0, 1) + quarterFrames(2, 0, 0, 0, 1).mid(8) << "01:00:00:00"
        << qint64(tc::fps25) << true;
    QTest::newRow("piece missing")
        << withoutPiece(quarterFrames(1, 2, 3, 4, 1), 5) << "" << qint64(0) << true;
    QByteArray swapped = quarterFrames(1, 2, 3, 4, 1);
    swapped[5] = char(0x30); // pieces 2 and 3 trade places
    swapped[7] = char(0x23);
    QTest::newRow("pieces swapped") << swapped << "" << qint64(0) << true;
    QTest::newRow("swapped, then whole")
        << swapped + quarterFrames(1, 2, 3, 10, 1) << "01:02:03:12" << qint64(tc::fps25) << true;
    QTest::newRow("restart in the middle")
        << quarterFrames(3, 0, 0, 0, 1).left(6) + quarterFrames(4, 0, 0, 0, 1) << "04:00:00:02"
        << qint64(tc::fps25) << true;
    QTest::newRow("frame 25 at 25") << quarterFrames(0, 0, 0, 25, 1) << "" << qint64(0) << true;
    QTest::newRow("dropped label") << fullFrame(0, 1, 0, 0, 2) << "" << qint64(0) << true;
    QTest::newRow("hour 25") << fullFrame(25, 0, 0, 0, 1) << "" << qint64(0) << true;
    QTest::newRow("user bits are not time")
        << QByteArray::fromHex("f07f7f010201020304050607080900f7") << "" << qint64(0) << false;
    QTest::newRow("short full frame")
        << QByteArray::fromHex("f07f7f0101200000f7") << "" << qint64(0) << false;
    QTest::newRow("note and clock") << QByteArray::fromHex("903c40f8") << "" << qint64(0) << false;
}

void tst_mtcdecoder::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, time);
    QFETCH(qint64, rate);
    QFETCH(bool, timecode);
    timecodeState state;
    mtcDecoder decoder(state);
    QCOMPARE(decoder.feed(reinterpret_cast<const unsigned char *>(bytes.constData()),
                          std::size_t(bytes.size()), 99),
             timecode);
    const timecodeSnapshot got = state.read();
    if (time.isEmpty()) {
        QCOMPARE(got.ms, qint64(-1));
        return;
    }
    timecode::hmsf expected;
    QVERIFY(timecode::parse(time, expected));
    QCOMPARE(timecode::format(got.frame, got.fps), time);
    QCOMPARE(got.fps, rate);
    QCOMPARE(got.frame, timecode::toFrame(expected, rate));
    QCOMPARE(got.ms, timecode::frameToMs(got.frame, rate));
    QCOMPARE(got.arrivedNs, qint64(99));
}

// A sender's port connected to "dmxplayer in": quarter frames and a full frame reach the
// snapshot from RtMidi's thread with their arrival time, and stay off the GUI thread, while
// a program change still reaches it.
void tst_mtcdecoder::throughJack()
{
    if (!m_jack.up())
        QSKIP("jackd -d dummy could not be started here (package jackd2); MIDI untested");
    freshCore();
    remoteActions actions(coreModel());
    midiRemote midi(&actions);
    timecodeState state;
    mtcDecoder decoder(state);
    // Program changes on channel 2 are taken as well: a taken message goes no further.
    midi.setSyncListener([&decoder](const unsigned char *bytes, std::size_t n, qint64 ns) {
        return decoder.feed(bytes, n, ns) || bytes[0] == 0xC1;
    });
    midi.start();
    QVERIFY2(midi.available(), qPrintable(midi.problem()));
    RtMidiOut sender(RtMidi::UNIX_JACK, "timecode");
    const int port = portNamed(sender, "dmxplayer in");
    QVERIFY(port >= 0);
    sender.openPort(unsigned(port), "mtc");
    QSignalSpy activity(&midi, &midiRemote::activity);

    // JACK connects at a later cycle: send until a whole run arrives.
    const qint64 before = nowNs();
    const QByteArray run = quarterFrames(1, 0, 0, 0, 1);
    QVERIFY(QTest::qWaitFor(
        [&] {
            sendAll(sender, run);
            return QTest::qWaitFor([&] { return state.read().ms >= 0; }, 100);
        },
        10000));
    timecodeSnapshot got = state.read();
    QCOMPARE(timecode::format(got.frame, got.fps), QStringLiteral("01:00:00:02"));
    QVERIFY(got.arrivedNs >= before && got.arrivedNs <= nowNs());

    const QByteArray full = fullFrame(2, 30, 0, 2, 2);
    sender.sendMessage(reinterpret_cast<const unsigned char *>(full.constData()),
                       std::size_t(full.size()));
    QTRY_COMPARE(timecode::format(state.read().frame, state.read().fps),
                 QStringLiteral("02:30:00;02"));
    const unsigned char clock = 0xF8;
    sender.sendMessage(&clock, 1);
    const unsigned char taken[2] = {0xC1, 0x06};
    sender.sendMessage(taken, 2);
    const unsigned char program[2] = {0xC0, 0x05};
    sender.sendMessage(program, 2);
    QTRY_COMPARE(midi.messageCount(), 1);
    QCOMPARE(midi.lastMessage(), QStringLiteral("MIDI program 5 ch 1"));
    QCOMPARE(activity.count(), 1); // only the second program change reached the GUI thread
    QVERIFY(decoder.published() >= 2);
    midi.stop();
    dropCore();
}

QTEST_MAIN(tst_mtcdecoder)
#include "tst_mtcdecoder.moc"
