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
};

namespace
{
// Every channel snaps, so that every tick loads the next row.
struct recordingWindow final : playbackWindow {
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
    {
        const auto held = playEngine::lock();
        engine.setShow(before);
        g_currentRow = 0;
    }
    engine.enable(true);
    QVERIFY(!window.liveSending);
    QVector<int> levels;
    for (int tick = 0; tick < 5; ++tick) {
        if (tick == 2) {
            const auto held = playEngine::lock();
            engine.setShow(showOf({70, 80}));
        }
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

QTEST_GUILESS_MAIN(tst_engineonly)
#include "tst_engineonly.moc"
