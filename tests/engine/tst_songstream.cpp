#include "songstream.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sndfile.h>

#include <vector>

// A song whose every frame says its own number, written with libsndfile and read through
// the stream, whose reader runs on its own thread: every frame comes once and in order from
// where the stream was sought, none of a position left behind, and the song's end ends it.
class tst_songstream : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void framesComeInOrderFromEachSeek_data();
    void framesComeInOrderFromEachSeek();

  private:
    QTemporaryDir m_dir;
};

namespace
{
// Longer than the ring, so that the reader waits for room, and the ring is full of what a
// seek leaves behind.
constexpr qint64 kFrames = 200000;

// Exact in a float file: frame n is n / 2^18 on the left, and its negative on the right.
float sampleOf(qint64 frame, int channel)
{
    return (channel == 0 ? 1.0f : -1.0f) * float(frame) / 262144.0f;
}

QString songPath(const QTemporaryDir &dir, int channels)
{
    return dir.filePath(QStringLiteral("count%1.wav").arg(channels));
}

// Reads up to `count` frames from `from` on, or to the end, while each is the one expected;
// the frames read.
qint64 readOn(songStream &stream, qint64 from, qint64 count)
{
    std::vector<float> frames(512 * 2);
    const int channels = stream.channels();
    const QDeadlineTimer deadline(20000);
    qint64 done = 0;
    while (done < count && !stream.ended() && !deadline.hasExpired()) {
        const int got = stream.read(frames.data(), int(qMin<qint64>(512, count - done)));
        for (int i = 0; i < got * channels; ++i) {
            if (frames[size_t(i)] != sampleOf(from + done + i / channels, i % channels))
                return done + i / channels;
        }
        done += got;
        if (got == 0)
            QThread::yieldCurrentThread();
    }
    return done;
}
} // namespace

void tst_songstream::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const int channels : {1, 2}) {
        std::vector<float> samples(size_t(kFrames * channels));
        for (qint64 n = 0; n < kFrames * channels; ++n)
            samples[size_t(n)] = sampleOf(n / channels, int(n % channels));
        SF_INFO info = {0, 44100, channels, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0, 0};
        SNDFILE *file = sf_open(QFile::encodeName(songPath(m_dir, channels)), SFM_WRITE, &info);
        QVERIFY(file);
        QCOMPARE(sf_writef_float(file, samples.data(), kFrames), kFrames);
        sf_close(file);
    }
}

// `reads`: frames read, each before a seek to the next of `seeks`; then to the end.
void tst_songstream::framesComeInOrderFromEachSeek_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<QVector<qint64>>("reads");
    QTest::addColumn<QVector<qint64>>("seeks");
    QTest::newRow("whole song, mono") << 1 << QVector<qint64>{} << QVector<qint64>{};
    QTest::newRow("whole song") << 2 << QVector<qint64>{} << QVector<qint64>{};
    QTest::newRow("sought before reading") << 2 << QVector<qint64>{0} << QVector<qint64>{5000};
    QTest::newRow("ahead, mid-stream") << 2 << QVector<qint64>{1000} << QVector<qint64>{150000};
    QTest::newRow("back, twice") << 2 << QVector<qint64>{120000, 3} << QVector<qint64>{10, 9};
    QTest::newRow("to the end") << 1 << QVector<qint64>{10} << QVector<qint64>{kFrames};
    QTest::newRow("past the end") << 2 << QVector<qint64>{10} << QVector<qint64>{kFrames + 9};
}

void tst_songstream::framesComeInOrderFromEachSeek()
{
    QFETCH(int, channels);
    QFETCH(QVector<qint64>, reads);
    QFETCH(QVector<qint64>, seeks);
    songStream stream(songPath(m_dir, channels), channels, 44100);
    qint64 at = 0;
    for (int i = 0; i < reads.size(); ++i) {
        QCOMPARE(readOn(stream, at, reads.at(i)), reads.at(i));
        at = seeks.at(i);
        stream.seek(at);
        QCOMPARE(stream.nextFrame(), at);
    }
    QCOMPARE(readOn(stream, at, kFrames), qMax<qint64>(0, kFrames - at));
    QVERIFY(stream.ended());
    float frame[2];
    QCOMPARE(stream.read(frame, 1), 0);
}

QTEST_GUILESS_MAIN(tst_songstream)
#include "tst_songstream.moc"
