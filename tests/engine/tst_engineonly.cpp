#include "manualclock.h"
#include "playbackwindow.h"
#include "playengine.h"
#include "playstate.h"

#include <QtTest>

// The engine alone, below the document and the window: it plays the show it was handed and
// tells a window it knows only by its interface.
class tst_engineonly : public QObject
{
    Q_OBJECT
  private slots:
    void playsWhatWasPublished();
    void rowFollowsItsStep_data();
    void rowFollowsItsStep();
};

namespace
{
// Every channel snaps, so that every tick loads the next row. The edit row is the process's
// view of it, as the window's is.
struct recordingWindow final : playbackWindow {
    int editRow() const override { return g_currentRow; }
    void showRow(int row) override { g_currentRow = row; }
    void outputSetup(int *slotOf, bool *snap) const override
    {
        for (int c = 0; c < kChannels; ++c)
            slotOf[c] = c, snap[c] = true;
    }
    void setLiveSending(bool live) override { liveSending = live; }
    void tellRowLoaded() override { ++rowNews; }
    void tellRepeats(uint) override {}
    void tellLevels(const std::bitset<kChannels> &changed) override { levelNews |= changed; }
    void tellStopped() override {}
    bool liveSending = true;
    int rowNews = 0;
    std::bitset<kChannels> levelNews;
};

// Rows without hold or fade, channel 0 at each level given.
std::shared_ptr<const playShow> showOf(const QVector<uchar> &levels)
{
    auto show = std::make_shared<playShow>();
    for (const uchar level : levels)
        show->rows.append(0, 0, &level, 1);
    show->playEnd = levels.size() - 1;
    return show;
}
} // namespace

// A show published while playing is what the next tick plays, wrapping at its own end; the
// one before stays whole.
void tst_engineonly::playsWhatWasPublished()
{
    recordingWindow window;
    playEngine engine(&window);
    engine.setOutputEnabled(true);
    const std::shared_ptr<const playShow> before = showOf({10, 20, 30});
    engine.setShow(before);
    g_currentRow = 0;
    engine.enable(true);
    QVERIFY(!window.liveSending);
    QVector<int> levels;
    for (int tick = 0; tick < 5; ++tick) {
        if (tick == 2)
            engine.setShow(showOf({70, 80}));
        engine.tick();
        QCOMPARE(int(g_dmxFrame[0]), int(g_dimValue[0]));
        levels << g_dimValue[0];
    }
    QCOMPARE(levels, (QVector<int>{10, 20, 70, 80, 70}));
    QCOMPARE(int(before->rows.level(2, 0)), 30);
    QTRY_VERIFY(window.rowNews > 0 && window.levelNews.test(0));
    engine.enable(false);
    QVERIFY(window.liveSending);
}

void tst_engineonly::rowFollowsItsStep_data()
{
    QTest::addColumn<int>("what");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("row"); // where playback stands afterwards, from row 1
    using kind = rowMove::kind;
    QTest::newRow("a cell written") << -1 << 0 << 0 << 0 << 1;
    QTest::newRow("row put in before") << int(kind::inserted) << 0 << 2 << 0 << 3;
    QTest::newRow("row put in after") << int(kind::inserted) << 2 << 1 << 0 << 1;
    QTest::newRow("its row taken out") << int(kind::removed) << 1 << 1 << 0 << 1;
    QTest::newRow("row before taken out") << int(kind::removed) << 0 << 1 << 0 << 0;
    QTest::newRow("its row moved up") << int(kind::moved) << 1 << 1 << 0 << 0;
    QTest::newRow("a block moved over it") << int(kind::moved) << 2 << 2 << 0 << 3;
}

// The window publishes an edit while its views still show the row playback left a tick ago:
// playback's row follows its step through the edit's row moves, and the views that did not
// change take nothing back.
void tst_engineonly::rowFollowsItsStep()
{
    QFETCH(int, what);
    QFETCH(int, at);
    QFETCH(int, count);
    QFETCH(int, to);
    QFETCH(int, row);
    recordingWindow window;
    playEngine engine(&window);
    auto clock = std::make_shared<manualClock>();
    engine.setClock(clock);
    engine.setShow(showOf({10, 20, 30, 40, 50, 60}));
    g_currentRow = -1;
    engine.enable(true);
    engine.start();
    for (int tick = 0; tick < 2; ++tick) {
        clock->advance(std::chrono::milliseconds(30));
        QVERIFY(engine.waitIdle(std::chrono::seconds(10)));
    }
    QCOMPARE(engine.now(0).row, 1);
    QCOMPARE(g_currentRow, -1);
    auto edited = std::make_shared<playShow>(*showOf({10, 20, 30, 40, 50, 60}));
    if (what >= 0)
        edited->moves.push_back({rowMove::kind(what), at, count, to});
    engine.setShow(edited);
    QCOMPARE(engine.now(0).row, row);
    QTRY_COMPARE(g_currentRow, row);
    engine.finish();
}

QTEST_GUILESS_MAIN(tst_engineonly)
#include "tst_engineonly.moc"
