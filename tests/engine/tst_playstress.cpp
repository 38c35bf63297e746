#include "coretestsupport.h"
#include "dmxfile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

// The GUI thread edits the table at random while playback runs on the output thread. Run
// under the sanitizers it finds races and reads outside the table; here it checks that every
// frame arrives whole and that the current row never leaves the table.
class tst_playstress : public QObject
{
    Q_OBJECT

  private slots:
    void init() { freshCore(); }
    void cleanup() { dropCore(); }
    void randomEditsWhilePlaying();

  private:
    int m_outside = 0;
    void checkPositions();
    void edit(QRandomGenerator &rng, dmxFile &files, const QUrl &show);
};

namespace
{
std::atomic<int> s_frames{0};
std::atomic<int> s_broken{0};

void countFrame(const unsigned char *frame, void *)
{
    if (!frame)
        ++s_broken;
    ++s_frames;
}

int stressSeconds()
{
    const int s = qEnvironmentVariableIntValue("DMX_STRESS_SECONDS");
    return s > 0 ? s : 3;
}
} // namespace

void tst_playstress::checkPositions()
{
    const int rows = coreModel()->steps().size();
    if (g_currentRow < -1 || g_currentRow >= rows)
        ++m_outside;
}

void tst_playstress::edit(QRandomGenerator &rng, dmxFile &files, const QUrl &show)
{
    dimList *m = coreModel();
    const int rows = m->rowCount();
    const int row = rows > 0 ? rng.bounded(rows) : 0;
    switch (rng.bounded(14)) {
    case 0:
        m->setData(m->index(row, 3 + rng.bounded(512)), rng.bounded(256));
        break;
    case 1:
        rng.bounded(2) ? m->insertCurrRows() : m->insertEndRows();
        break;
    case 2:
        rng.bounded(2) ? m->removeCurrRows() : m->removeEndRows();
        break;
    case 3:
        rng.bounded(2) ? m->moveUpRows() : m->moveDownRows();
        break;
    case 4:
        m->setAllDmxSpeedCross(static_cast<ushort>(rng.bounded(2)),
                               static_cast<ushort>(rng.bounded(4)));
        break;
    case 5:
        if (rows < 30) {
            files.loadData(show);
            m->refrushIndex();
        }
        break;
    case 6:
        m->dmxRowToDim(static_cast<ushort>(row));
        break;
    case 7:
        m->setPlayerEndRow(static_cast<ushort>(rng.bounded(rows + 3)));
        m->setDmxDataBetween(rng.bounded(4));
        break;
    case 8:
        m->dmxOutputEnable(rng.bounded(4) != 0);
        break;
    case 9:
        m->sendDmxEnable(rng.bounded(4) != 0);
        break;
    case 10:
        fixture(rng.bounded(m->output()->patch()->size()))->setSelectUnannounced(rng.bounded(2));
        channel(rng.bounded(512))->setDimEn(rng.bounded(2));
        break;
    case 11:
        if (rng.bounded(10) == 0)
            m->removeAll();
        else
            m->removeSelectRows();
        break;
    case 12:
        m->dmx_up_down_select_row(rng.bounded(2));
        break;
    default:
        m->setRepeat(rng.bounded(3));
        m->output()->setAllDmxValue(static_cast<uchar>(rng.bounded(256)));
        break;
    }
}

void tst_playstress::randomEditsWhilePlaying()
{
    // Real time: the edits meet the thread wherever it happens to be.
    dimList *m = freshCore(modelCheck::fatal, engineTime::steady);
    for (int r = 0; r < 4; ++r)
        appendRow(static_cast<quint16>(r % 2), static_cast<quint16>(r),
                  static_cast<quint16>(60 * r));
    QTemporaryDir dir;
    const QUrl show = QUrl::fromLocalFile(dir.filePath("two.dmx"));
    dmxFile files;
    QVERIFY(files.saveData(show, 512, 0, 1, QStringLiteral("Dmx files (*.dmx )")));

    dmxbox_setFrameHook(countFrame, nullptr);
    m->dmxOutputEnable(true);
    m->sendDmxEnable(true);
    QRandomGenerator rng(17);
    QElapsedTimer clock;
    clock.start();
    int edits = 0;
    while (clock.elapsed() < stressSeconds() * 1000) {
        if (m->rowCount() == 0)
            m->insertEndRows();
        edit(rng, files, show);
        checkPositions();
        ++edits;
        // Let the window's share of each tick arrive, as the event loop would.
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        if (edits % 8 == 0)
            QTest::qWait(5);
        if (!g_playEnable && rng.bounded(3) == 0)
            m->sendDmxEnable(true);
    }
    m->sendDmxEnable(false);
    m->engine()->finish();
    dmxbox_setFrameHook(nullptr, nullptr);
    qInfo() << edits << "edits," << s_frames.load() << "frames";
    QCOMPARE(m_outside, 0);
    QCOMPARE(s_broken.load(), 0);
    QVERIFY(s_frames.load() > 0);
}

QTEST_GUILESS_MAIN(tst_playstress)
#include "tst_playstress.moc"
