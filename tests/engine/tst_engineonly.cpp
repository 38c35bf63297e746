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
    void playsWhatWasPublished_data();
    void playsWhatWasPublished();
};

namespace
{
class recordingWindow final : public playbackWindow
{
  public:
    void outputSetup(int *slotOf, bool *snap) const override
    {
        for (int c = 0; c < kChannels; ++c) {
            slotOf[c] = c;
            snap[c] = true;
        }
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

// Rows without hold or fade, channel 0 at each level given; as every channel snaps, every tick
// loads the next row.
std::shared_ptr<const playShow> showOf(const QVector<int> &levels)
{
    auto show = std::make_shared<playShow>();
    for (const int level : levels) {
        const uchar one = uchar(level);
        show->rows.append(0, 0, &one, 1);
    }
    show->playEnd = levels.size() - 1;
    return show;
}
} // namespace

void tst_engineonly::playsWhatWasPublished_data()
{
    QTest::addColumn<QVector<int>>("first");
    QTest::addColumn<QVector<int>>("second");
    QTest::addColumn<QVector<int>>("heard"); // channel 0 and its frame slot, tick by tick

    QTest::newRow("same length") << QVector<int>{10, 20, 30} << QVector<int>{40, 50, 60}
                                 << QVector<int>{10, 20, 60, 40, 50};
    QTest::newRow("shorter: the row past its end wraps")
        << QVector<int>{10, 20, 30} << QVector<int>{70, 80} << QVector<int>{10, 20, 70, 80, 70};
}

// A show published while playing is what the next tick plays; the one before stays whole.
void tst_engineonly::playsWhatWasPublished()
{
    QFETCH(QVector<int>, first);
    QFETCH(QVector<int>, second);
    QFETCH(QVector<int>, heard);
    recordingWindow window;
    playEngine engine(&window);
    engine.setOutputEnabled(true);
    const std::shared_ptr<const playShow> before = showOf(first);
    {
        const auto held = playEngine::lock();
        engine.setShow(before);
        g_currentRow = 0;
    }
    engine.enable(true);
    QVERIFY(!window.liveSending);
    QVector<int> levels;
    for (int tick = 0; tick < heard.size(); ++tick) {
        if (tick == 2) {
            const auto held = playEngine::lock();
            engine.setShow(showOf(second));
        }
        engine.tick();
        QCOMPARE(int(g_dmxFrame[0]), int(g_dimValue[0]));
        levels << g_dimValue[0];
    }
    QCOMPARE(levels, heard);
    QCOMPARE(int(before->rows.level(2, 0)), first.at(2));
    QTRY_VERIFY(window.rowNews > 0 && window.levelNews.test(0));
    engine.enable(false);
    QVERIFY(window.liveSending);
}

QTEST_GUILESS_MAIN(tst_engineonly)
#include "tst_engineonly.moc"
