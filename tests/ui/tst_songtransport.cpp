#include "clicktrack.h"
#include "coretestsupport.h"
#include "jackserver.h"
#include "showchase.h"
#include "showtimeline.h"
#include "songstate.h"
#include "songtaps.h"
#include "songtransport.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <mutex>

// The song through RtAudio's JACK backend, against a JACK server with the dummy driver that
// the test starts and stops itself, and the show following it.
class tst_songtransport : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void framesFollowTheSong();
    void tapsOfAPlaybackAreOneUndoStep();
    void showSongIsReadInTheBackground();

  private:
    QTemporaryDir m_dir;
    jackServer m_jack;
    songTransport *m_transport = nullptr;
};

namespace
{
constexpr int kRows = 4;

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The frames sent while the song moves, each with the song's position as the output thread
// could have seen it: the song's clock read when the frame went out (its tick a little
// before), and when that was.
struct frameLog {
    std::mutex mutex;
    QVector<QByteArray> frames;
    QVector<qint64> songMs;
    QVector<qint64> sentNs;
};

void logFrame(const unsigned char *frame, void *context)
{
    auto *log = static_cast<frameLog *>(context);
    const qint64 ns = steadyNs();
    const songClockSnapshot song = testEngine()->songClock().read();
    if (!song.moving)
        return;
    const std::lock_guard<std::mutex> held(log->mutex);
    log->frames.append(QByteArray(reinterpret_cast<const char *>(frame), 512));
    log->songMs.append(song.usAt(ns) / 1000);
    log->sentNs.append(ns);
}

// Rows 0..3 of levels that differ from channel to channel and row to row, each fading in
// `fade` and held `hold`: during a fade nearly every tick sends a frame of its own.
void buildShow(quint16 hold, quint16 fade)
{
    dimList *m = coreModel();
    for (int r = 0; r < kRows; ++r) {
        tableRow row = appendRow(hold, fade, 0);
        for (int ch = 0; ch < 512; ++ch)
            row[ch + 3] = quint16((ch * 7 + r * 53) % 256);
    }
    m->dmxOutputEnable(true);
    m->dmxRowToDim(0);
    m->setPlayerEndRow(kRows - 1);
}

std::shared_ptr<const showTimeline> layOut()
{
    return showChase(coreModel()).layOut();
}

// The frame's slot of each channel the patch sends, as pairs.
QVector<QPair<int, int>> patchedSlots()
{
    light_list *patch = coreModel()->output()->patch();
    QVector<QPair<int, int>> patched;
    for (int c = 0; c < 512; ++c) {
        if (patch->mapChannel(c) && patch->mappedSlot() >= 0)
            patched.append({c, patch->mappedSlot()});
    }
    return patched;
}

// The song's time whose frame the timeline gives as `frame`, looked for from `fromMs` back
// to `toMs`; -1 when none.
qint64 timeOfFrame(const showTimeline &line, const QVector<QPair<int, int>> &patched,
                   const QByteArray &frame, qint64 fromMs, qint64 toMs)
{
    for (qint64 ms = fromMs; ms >= toMs; --ms) {
        const auto levels = line.levelsAt(line.locate(ms));
        if (std::all_of(patched.begin(), patched.end(), [&](const QPair<int, int> &s) {
                return levels[size_t(s.first)] == quint8(frame.at(s.second));
            }))
            return ms;
    }
    return -1;
}
} // namespace

void tst_songtransport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    qputenv("DMX_AUDIO_API", "jack");
    QVERIFY(!writeClickTrack(m_dir.filePath("song.wav"), 120, 8.0, SF_FORMAT_WAV | SF_FORMAT_PCM_16,
                             48000, 2)
                 .isEmpty());
    m_jack.start();
}

void tst_songtransport::cleanupTestCase()
{
    m_jack.stop();
}

void tst_songtransport::init()
{
    if (!m_jack.up())
        QSKIP("jackd -d dummy could not be started here (package jackd2); songs untested");
    freshCore(modelCheck::fatal, engineTime::steady);
    m_transport = new songTransport(coreModel());
}

// The show's song is read on a worker thread and played once read; removing it empties the
// player.
void tst_songtransport::showSongIsReadInTheBackground()
{
    songState song(coreModel()->changeHistory());
    m_transport->followSong(&song);
    song.attach(m_dir.filePath("song.wav"));
    QTRY_VERIFY_WITH_TIMEOUT(m_transport->active(), 20000);
    QVERIFY2(m_transport->problem().isEmpty(), qPrintable(m_transport->problem()));
    QVERIFY(m_transport->lengthMs() > 0);
    song.detach();
    QTRY_VERIFY(!m_transport->active());
    m_transport->followSong(nullptr);
}

// The song's player goes before the core whose clock it publishes to; the output thread,
// which calls the frame hook, is joined before the log goes.
void tst_songtransport::cleanup()
{
    delete m_transport;
    m_transport = nullptr;
    dropCore();
    dmxbox_setFrameHook(nullptr, nullptr);
}

// Every frame is the timeline's frame for the song's position at its tick, through a seek
// while playing, a stop that keeps the playhead, a seek while standing (which picks the row
// under it) and playing on from there.
void tst_songtransport::framesFollowTheSong()
{
    buildShow(0, 5);
    QVERIFY(m_transport->load(m_dir.filePath("song.wav")));
    QVERIFY2(m_transport->problem().isEmpty(), qPrintable(m_transport->problem()));
    QVERIFY(testEngine()->waitFramesSent(std::chrono::seconds(10)));
    frameLog log;
    dmxbox_setFrameHook(logFrame, &log);
    m_transport->play();
    QVERIFY(m_transport->playing());
    QTRY_VERIFY_WITH_TIMEOUT(m_transport->positionMs() >= 1200, 20000);
    // Until the audio's next buffer the output may still show the song before the seek; on a
    // loaded machine the song may have gone on past 1200 ms before the seek is made.
    const qint64 seekNs = steadyNs();
    const qint64 firstEnd = qMax<qint64>(1400, m_transport->positionMs() + 200);
    m_transport->seek(5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_transport->positionMs() >= 5600, 20000);
    m_transport->stop();
    QVERIFY(!coreModel()->playing());
    const qint64 stoppedAt = m_transport->positionMs();
    QVERIFY(stoppedAt >= 5600 && stoppedAt < 7000);
    const auto line = layOut();
    m_transport->seek(3000);
    QCOMPARE(coreModel()->currentRow(), line->locate(3000).row);
    m_transport->play();
    QTRY_VERIFY_WITH_TIMEOUT(m_transport->positionMs() >= 3300, 20000);
    m_transport->stop();
    QVERIFY(testEngine()->waitFramesSent(std::chrono::seconds(10)));
    dmxbox_setFrameHook(nullptr, nullptr);

    const auto patched = patchedSlots();
    QVERIFY(patched.size() >= 100);
    // On a loaded machine (or under a sanitizer) a frame may go out some ticks after its
    // tick, and a late audio buffer moves the song's clock back by its lateness.
    int inFirst = 0, inSeek = 0, inResume = 0;
    for (int i = 0; i < log.frames.size(); ++i) {
        if (log.sentNs.at(i) >= seekNs && log.sentNs.at(i) < seekNs + 100000000)
            continue;
        const qint64 ms = log.songMs.at(i);
        const qint64 at = timeOfFrame(*line, patched, log.frames.at(i), ms + 60, ms - 300);
        QVERIFY2(at >= 0,
                 qPrintable(QStringLiteral("frame %1 not the song's at %2 ms").arg(i).arg(ms)));
        inFirst += at < 1200;
        inSeek += at >= 5000 && at <= stoppedAt;
        inResume += at >= 3000 && at < 3300;
        QVERIFY(at < firstEnd || at >= 3000);
    }
    QVERIFY(inFirst > 20 && inSeek > 10 && inResume > 5);
}

// Taps while the song plays end the steps under way: the output goes on to the next row at
// once, the holds are those the taps give, and the whole playback is one undo step.
void tst_songtransport::tapsOfAPlaybackAreOneUndoStep()
{
    buildShow(10, 0);
    QVERIFY(m_transport->load(m_dir.filePath("song.wav")));
    showTimeline::setup show;
    show.rows = coreModel()->steps();
    show.playEnd = kRows - 1;
    const stepTable before = coreModel()->steps();
    undoHistory *history = coreModel()->changeHistory();
    const int steps = history->count();
    m_transport->play();
    QVector<qint64> taps;
    for (const qint64 ms : {600, 1200, 1800}) {
        QTRY_VERIFY_WITH_TIMEOUT(m_transport->positionMs() >= ms, 20000);
        const int row = coreModel()->currentRow();
        taps << m_transport->positionMs();
        m_transport->tapAtSong(taps.last());
        QTRY_COMPARE(coreModel()->currentRow(), (row + 1) % kRows);
    }
    m_transport->stop();
    const QMap<int, quint16> holds = songTaps::holdsFor(show, taps);
    QCOMPARE(holds.size(), 3);
    for (auto it = holds.begin(); it != holds.end(); ++it)
        QCOMPARE(coreModel()->steps().speed(it.key()), it.value());
    QCOMPARE(history->count(), steps + 1);
    QVERIFY(history->undo());
    for (int r = 0; r < kRows; ++r)
        QCOMPARE(coreModel()->steps().speed(r), before.speed(r));
}

QTEST_GUILESS_MAIN(tst_songtransport)
#include "tst_songtransport.moc"
