#include "ltcdecoder.h"
#include "ltcinput.h"
#include "timecode.h"

#include <QTemporaryDir>
#include <QtTest>

#include <ltc.h>

#include <vector>

// LTC decoded from audio that libltc's own encoder makes: running forward at each rate, a
// jump, a stop and drop-frame; no sound card needed. The capture fails cleanly without one.
class tst_ltcdecoder : public QObject
{
    Q_OBJECT

  private slots:
    void runsForward_data();
    void runsForward();
    void jumpIsFollowed();
    void stopPublishesNothing();
    void floatSamples();
    void missingDeviceIsAProblem();
    void capturesFromAnAlsaDevice();
};

namespace
{
constexpr int kRate = 48000;
constexpr qint64 kStartNs = 1000000000000;

// `count` frames of LTC from `start` at `fps` (29.97 sets the drop-frame bit), as 16-bit
// samples. A frame is decoded when the next begins, so one more follows: the `count`th is the
// last decoded.
std::vector<qint16> encode(const QString &start, double fps, int count)
{
    timecode::hmsf time;
    timecode::parse(start, time);
    const LTC_TV_STANDARD standard = fps == 25   ? LTC_TV_625_50
                                     : fps == 24 ? LTC_TV_FILM_24
                                                 : LTC_TV_525_60;
    LTCEncoder *encoder = ltc_encoder_create(kRate, fps, standard, 0);
    SMPTETimecode stime{};
    stime.hours = static_cast<unsigned char>(time.hours);
    stime.mins = static_cast<unsigned char>(time.minutes);
    stime.secs = static_cast<unsigned char>(time.seconds);
    stime.frame = static_cast<unsigned char>(time.frames);
    ltc_encoder_set_timecode(encoder, &stime);
    std::vector<qint16> samples;
    for (int i = 0; i <= count; ++i) {
        ltc_encoder_encode_frame(encoder);
        ltcsnd_sample_t *buffer = nullptr;
        const int size = ltc_encoder_get_bufferptr(encoder, &buffer, 1);
        for (int k = 0; k < size; ++k)
            samples.push_back(qint16((int(buffer[k]) - 128) * 200));
        ltc_encoder_inc_timecode(encoder);
    }
    ltc_encoder_free(encoder);
    return samples;
}

// Written in chunks as a capture would, the samples' times following on from `position`.
void play(ltcDecoder &decoder, const std::vector<qint16> &samples, qint64 &position)
{
    constexpr std::size_t kChunk = 1024;
    for (std::size_t at = 0; at < samples.size(); at += kChunk) {
        const std::size_t n = std::min(kChunk, samples.size() - at);
        decoder.write(samples.data() + at, n, kStartNs + position * 1000000000 / kRate);
        position += qint64(n);
    }
}

QString now(const timecodeState &state)
{
    const timecodeSnapshot got = state.read();
    return got.ms < 0 ? QString() : timecode::format(got.frame, got.fps);
}
} // namespace

void tst_ltcdecoder::runsForward_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<double>("fps");
    QTest::addColumn<qint64>("rate");
    QTest::addColumn<QString>("last");

    using tc = timecodeSnapshot;
    QTest::newRow("24") << "00:00:00:00" << 24.0 << qint64(tc::fps24) << "00:00:02:23";
    QTest::newRow("25") << "01:00:00:00" << 25.0 << qint64(tc::fps25) << "01:00:02:24";
    QTest::newRow("30") << "00:59:59:00" << 30.0 << qint64(tc::fps30) << "01:00:01:29";
    QTest::newRow("29.97 drop-frame across minute 1")
        << "00:00:58;00" << 29.97 << qint64(tc::fps2997drop) << "00:01:01;01";
    QTest::newRow("29.97 drop-frame across minute 10")
        << "00:09:58;00" << 29.97 << qint64(tc::fps2997drop) << "00:10:00;29";
}

// Three seconds: every frame is published, the last with its rate, its real time and the
// moment its first sample arrived.
void tst_ltcdecoder::runsForward()
{
    QFETCH(QString, start);
    QFETCH(double, fps);
    QFETCH(qint64, rate);
    QFETCH(QString, last);
    const int count = int(3 * std::round(fps));
    timecodeState state;
    ltcDecoder decoder(state, kRate);
    qint64 position = 0;
    play(decoder, encode(start, fps, count), position);
    QVERIFY(decoder.published() >= count - 1); // the very first may go to finding the signal
    QCOMPARE(decoder.ignored(), qint64(0));
    const timecodeSnapshot got = state.read();
    QCOMPARE(now(state), last);
    QCOMPARE(got.fps, rate);
    QCOMPARE(got.ms, timecode::frameToMs(got.frame, rate));
    const qint64 began = kStartNs + qint64((count - 1) * 1e9 / fps);
    QVERIFY2(qAbs(got.arrivedNs - began) < 2000000,
             qPrintable(QString::number(got.arrivedNs - began)));
}

void tst_ltcdecoder::jumpIsFollowed()
{
    timecodeState state;
    ltcDecoder decoder(state, kRate);
    qint64 position = 0;
    play(decoder, encode(QStringLiteral("00:10:00:00"), 25, 50), position);
    QCOMPARE(now(state), QStringLiteral("00:10:01:24"));
    play(decoder, encode(QStringLiteral("02:00:00:00"), 25, 10), position);
    QCOMPARE(now(state), QStringLiteral("02:00:00:09"));
    QCOMPARE(state.read().fps, qint64(timecodeSnapshot::fps25));
    play(decoder, encode(QStringLiteral("00:00:30:00"), 25, 10), position);
    QCOMPARE(now(state), QStringLiteral("00:00:30:09"));
}

// Silence after the signal: nothing more is published, the last frame stays as it came.
void tst_ltcdecoder::stopPublishesNothing()
{
    timecodeState state;
    ltcDecoder decoder(state, kRate);
    qint64 position = 0;
    play(decoder, encode(QStringLiteral("00:00:10:00"), 30, 30), position);
    const qint64 published = decoder.published();
    const timecodeSnapshot stopped = state.read();
    QCOMPARE(now(state), QStringLiteral("00:00:10:29"));
    play(decoder, std::vector<qint16>(kRate, 0), position);
    QCOMPARE(decoder.published(), published);
    QCOMPARE(state.read().arrivedNs, stopped.arrivedNs);
    QCOMPARE(state.read().frame, stopped.frame);
}

void tst_ltcdecoder::floatSamples()
{
    const std::vector<qint16> samples = encode(QStringLiteral("12:00:00:00"), 25, 30);
    std::vector<float> floats;
    for (const qint16 sample : samples)
        floats.push_back(float(sample) / 32768.0f);
    timecodeState state;
    ltcDecoder decoder(state, kRate);
    decoder.write(floats.data(), floats.size(), kStartNs);
    QCOMPARE(now(state), QStringLiteral("12:00:01:04"));
}

void tst_ltcdecoder::missingDeviceIsAProblem()
{
    timecodeState state;
    ltcInput input(state);
    input.setDevice(QStringLiteral("hw:CARD=dmxplayerNoSuchCard"));
    QVERIFY(!input.start());
    QVERIFY(!input.running());
    QVERIFY(input.problem().contains(QStringLiteral("dmxplayerNoSuchCard")));
    QCOMPARE(state.read().ms, qint64(-1));
}

// The capture thread end to end: ALSA's file plugin plays a file of LTC as its input.
void tst_ltcdecoder::capturesFromAnAlsaDevice()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::vector<qint16> samples = encode(QStringLiteral("03:00:00:00"), 25, 50);
    QFile raw(dir.filePath(QStringLiteral("ltc.raw")));
    QVERIFY(raw.open(QIODevice::WriteOnly));
    raw.write(reinterpret_cast<const char *>(samples.data()), qint64(samples.size() * 2));
    raw.close();
    QFile conf(dir.filePath(QStringLiteral("asound.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("pcm.ltcfile { type file slave.pcm { type null } file \"/dev/null\" "
                              "infile \"%1\" format \"raw\" }\n")
                   .arg(raw.fileName())
                   .toUtf8());
    conf.close();
    const QByteArray before = qgetenv("ALSA_CONFIG_PATH");
    qputenv("ALSA_CONFIG_PATH", conf.fileName().toUtf8());
    timecodeState state;
    ltcInput input(state);
    input.setDevice(QStringLiteral("ltcfile"));
    const bool started = input.start();
    qputenv("ALSA_CONFIG_PATH", before);
    QVERIFY2(started, qPrintable(input.problem()));
    // The file's end is silence from the null device: that ends the last frame too.
    QTRY_COMPARE(now(state), QStringLiteral("03:00:02:00"));
    QCOMPARE(state.read().fps, qint64(timecodeSnapshot::fps25));
    QVERIFY(input.published() >= 49);
    input.stop();
    QVERIFY(!input.running());
}

QTEST_GUILESS_MAIN(tst_ltcdecoder)
#include "tst_ltcdecoder.moc"
