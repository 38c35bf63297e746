#include "clicktrack.h"
#include "songanalyser.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace
{
constexpr double kSeconds = 25;
constexpr double kToleranceMs = 20;

// The largest distance from a time in `from` to the nearest in `to`.
double furthest(const QVector<double> &from, const QVector<double> &to)
{
    double worst = 0;
    for (double at : from) {
        double nearest = 1e9;
        for (double other : to)
            nearest = std::min(nearest, std::abs(at - other));
        worst = std::max(worst, nearest);
    }
    return worst;
}
} // namespace

class tst_songanalyser : public QObject
{
    Q_OBJECT

  private slots:
    void clickTracks_data();
    void clickTracks();
    void refusals_data();
    void refusals();

  private:
    QTemporaryDir m_dir;
};

void tst_songanalyser::clickTracks_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");

    QTest::newRow("90 BPM, WAV") << 90.0 << "clicks.wav" << (SF_FORMAT_WAV | SF_FORMAT_PCM_16)
                                 << 44100 << 2;
    QTest::newRow("120 BPM, FLAC")
        << 120.0 << "clicks.flac" << (SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 48000 << 1;
    QTest::newRow("128 BPM, Ogg Vorbis")
        << 128.0 << "clicks.ogg" << (SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 44100 << 2;
    QTest::newRow("128 BPM, Opus")
        << 128.0 << "clicks.opus" << (SF_FORMAT_OGG | SF_FORMAT_OPUS) << 48000 << 2;
    QTest::newRow("174 BPM, MP3") << 174.0 << "clicks.mp3"
                                  << (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) << 44100 << 2;
}

// Every click is found, from the first after the quiet intro on: each beat within 20 ms of a
// click and each click within 20 ms of a beat, both in the beats found and in the steady grid
// of the tempo and first beat found (up to the last click; the grid goes on to the end).
void tst_songanalyser::clickTracks()
{
    QFETCH(double, bpm);
    QFETCH(QString, file);
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);
    const QString path = m_dir.filePath(file);
    const QVector<double> clicks = writeClickTrack(path, bpm, kSeconds, format, rate, channels);
    QVERIFY(!clicks.isEmpty());

    songAnalysis song;
    QString error;
    QVERIFY2(songAnalyser::analyse(path, song, error), qPrintable(error));
    QCOMPARE(song.lengthMs, qint64(kSeconds * 1000));
    QCOMPARE(song.sampleRate, rate);
    QCOMPARE(song.channels, channels);
    QCOMPARE(song.peaks.size(), songAnalyser::kPeakStretches);
    QVERIFY(song.peaks.first().high < 0.05f);
    QVERIFY(std::any_of(song.peaks.begin(), song.peaks.end(),
                        [](const songPeak &peak) { return peak.high > 0.4f; }));

    QVERIFY2(std::abs(song.tempoBpm - bpm) <= 0.5, qPrintable(QString::number(song.tempoBpm)));
    QVERIFY2(furthest(clicks, song.beats) <= kToleranceMs, "a click without a beat");
    QVERIFY2(furthest(song.beats, clicks) <= kToleranceMs, "a beat without a click");
    const QVector<double> grid =
        beatGrid::beats(song.tempoBpm, song.firstBeatMs, qint64(clicks.last() + 30000 / bpm));
    QVERIFY2(furthest(clicks, grid) <= kToleranceMs, "a click off the grid");
    QVERIFY2(furthest(grid, clicks) <= kToleranceMs, "a grid beat without a click");
}

void tst_songanalyser::refusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<double>("seconds"); // of clicks at 1 kHz; -1: text, -2: none
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << "gone.wav" << -2.0 << "System error : No such file or directory.";
    QTest::newRow("not audio") << "notes.wav" << -1.0 << "Format not recognised.";
    QTest::newRow("no sound") << "empty.wav" << 0.0 << "holds no sound";
    QTest::newRow("over 20 minutes")
        << "long.wav" << 20 * 60 + 1.0 << "lasts 20:01, longer than the 20 minutes a song may last";
}

void tst_songanalyser::refusals()
{
    QFETCH(QString, file);
    QFETCH(double, seconds);
    QFETCH(QString, reason);
    const QString path = m_dir.filePath(file);
    QFile text(path);
    if (seconds == -1)
        QVERIFY(text.open(QIODevice::WriteOnly) && text.write("steps to the music\n") > 0);
    else if (seconds >= 0)
        writeClickTrack(path, 120, seconds, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1000, 1);
    text.close();
    songAnalysis song;
    QString error;
    QVERIFY(!songAnalyser::analyse(path, song, error));
    QCOMPARE(error, reason);
}

QTEST_GUILESS_MAIN(tst_songanalyser)
#include "tst_songanalyser.moc"
