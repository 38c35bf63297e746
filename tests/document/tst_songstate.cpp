#include "clicktrack.h"
#include "coretestsupport.h"
#include "songstate.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class tst_songstate : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void eachChangeIsOneUndoStep_data();
    void eachChangeIsOneUndoStep();
};

// Attaching, each correction by hand and removing are one undo step each that takes the link
// back; a song read again keeps the corrections, and the beats follow the grid they set.
void tst_songstate::eachChangeIsOneUndoStep_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("attach") << "attach";
    QTest::newRow("tempo") << "tempo";
    QTest::newRow("first beat") << "first beat";
    QTest::newRow("detach") << "detach";
}

void tst_songstate::eachChangeIsOneUndoStep()
{
    QFETCH(QString, change);
    QTemporaryDir dir;
    const QString file = dir.filePath("clicks.wav");
    QVERIFY(!writeClickTrack(file, 120, 8, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1).isEmpty());
    undoHistory *history = coreModel()->changeHistory();
    songState song(history);
    if (change != "attach") {
        QVERIFY(song.attach(file));
        QTRY_VERIFY(song.readable());
        history->setClean();
    }
    const songLink before = song.link();
    const int steps = history->count();
    if (change == "attach")
        QVERIFY(song.attach(file));
    else if (change == "tempo")
        QVERIFY(song.setTempo(100) && !song.setTempo(1000));
    else if (change == "first beat")
        QVERIFY(song.setFirstBeat(250));
    else
        song.detach();
    QTRY_VERIFY(!song.analysing());
    const songLink after = song.link();
    QVERIFY(after != before);
    QCOMPARE(history->count(), steps + 1);
    QVERIFY(!history->isClean());
    QVERIFY(history->undo());
    QVERIFY(song.link() == before);
    QVERIFY(history->redo());
    QTRY_VERIFY(!song.analysing());
    QVERIFY(song.link() == after);

    if (!after.tempoCorrected && !after.firstBeatCorrected)
        return;
    QVERIFY(song.attach(file));
    QTRY_VERIFY(!song.analysing() && song.readable());
    QCOMPARE(song.tempoBpm(), after.tempoBpm);
    QCOMPARE(song.firstBeatMs(), after.firstBeatMs);
    QCOMPARE(song.beats(), beatGrid::beats(after.tempoBpm, after.firstBeatMs, song.lengthMs()));
}

QTEST_MAIN(tst_songstate)
#include "tst_songstate.moc"
