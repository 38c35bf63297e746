#include "clicktrack.h"
#include "songanalyser.h"
#include "songanalysisjob.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_songanalysisjob : public QObject
{
    Q_OBJECT

  private slots:
    void runsOnItsThreadAndStops();
};

// The worker's result is the plain function's and its progress climbs to 1, both heard on the
// GUI thread; a stop ends it early, and a job deleted while it runs waits for its thread.
void tst_songanalysisjob::runsOnItsThreadAndStops()
{
    QTemporaryDir dir;
    const QString song = dir.filePath("clicks.wav");
    writeClickTrack(song, 128, 20, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2);
    songAnalysis expected;
    QString error;
    QVERIFY(songAnalyser::analyse(song, expected, error));

    songAnalysisJob job;
    QSignalSpy progress(&job, &songAnalysisJob::progressChanged);
    QSignalSpy finished(&job, &songAnalysisJob::finished);
    QVERIFY(job.start(song));
    QVERIFY(!job.start(song));
    QVERIFY(finished.wait() && !job.isRunning());
    QCOMPARE(finished.first().at(0).toString() + finished.first().at(2).toString(), song);
    QVERIFY(finished.first().at(1).value<songAnalysis>() == expected);
    for (int i = 1; i < progress.size(); ++i)
        QVERIFY(progress.at(i).at(0).toDouble() > progress.at(i - 1).at(0).toDouble());
    QCOMPARE(progress.last().at(0).toDouble(), 1.0);

    QVERIFY(job.start(song));
    job.stop();
    QVERIFY(finished.wait());
    QCOMPARE(finished.last().at(2).toString(), QStringLiteral("stopped"));
    auto *running = new songAnalysisJob;
    QVERIFY(running->start(song));
    delete running;
    QCoreApplication::processEvents(); // nothing queued reaches the deleted job
}

QTEST_GUILESS_MAIN(tst_songanalysisjob)
#include "tst_songanalysisjob.moc"
