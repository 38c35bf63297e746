#include "coretestsupport.h"
#include "showtimeline.h"

#include <QCoreApplication>
#include <QObject>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

// Stands in for a fader's QML binding: re-reads the level on every change notification.
class levelReader : public QObject
{
    Q_OBJECT

  public:
    explicit levelReader(dim *d) : m_dim(d) {}
    long sum() const { return m_sum; }

  public slots:
    void levelChanged() { m_sum += m_dim->dimValue(); }
    void rowChanged(int row) { m_sum += row; }
    void repeatChanged(uint times) { m_sum += times; }

  private:
    dim *m_dim;
    long m_sum = 0;
};

namespace
{
void dropMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

// Two rows, all channels 0 and all 255, faded in 99 ticks each: every channel changes level
// on every tick, so each tick builds and sends a frame and the window hears of 512 levels
// every other tick. The ticks run on the output thread as in the program, each when the
// benchmark moves the test clock on to it; the time includes the thread's wake-up and the
// delivery to the window.
struct playingCore {
    std::vector<std::unique_ptr<levelReader>> readers;

    playingCore()
    {
        qInstallMessageHandler(dropMessages);
        freshCore(modelCheck::none);
        dimList *m = coreModel();
        appendRow(0, 33, 0);
        appendRow(0, 33, 255);
        for (int i = 0; i < 512; ++i) {
            readers.push_back(std::make_unique<levelReader>(channel(i)));
            QObject::connect(channel(i), &dim::dimValueChanged, readers.back().get(),
                             &levelReader::levelChanged);
        }
        QObject::connect(m, &dimList::currentRowChanged, readers.front().get(),
                         &levelReader::rowChanged);
        QObject::connect(m, &dimList::repeatChanged, readers.front().get(),
                         &levelReader::repeatChanged);
        m->dmxRowToDim(0);
        m->setPlayerEndRow(1);
        m->dmxOutputEnable(true);
        m->sendDmxEnable(true);
    }
    ~playingCore()
    {
        dropCore();
        qInstallMessageHandler(nullptr);
    }
};

void BM_FadeTick(benchmark::State &state)
{
    playingCore core;
    const unsigned long framesBefore = dmxbox_callCount();
    for (auto _ : state) {
        if (!runTicks(1))
            state.SkipWithError("the output thread did not tick");
    }
    state.counters["frames/tick"] =
        benchmark::Counter(double(dmxbox_callCount() - framesBefore) / double(state.iterations()));
    benchmark::DoNotOptimize(core.readers.front()->sum());
}
BENCHMARK(BM_FadeTick)->Unit(benchmark::kMicrosecond);

// Every tick loads a row (wrapping, with the 512-level jump on every other one) and then
// runs the fade pass: the most expensive tick there is.
void BM_LoadTick(benchmark::State &state)
{
    playingCore core;
    for (auto _ : state) {
        g_advanceRow = 1;
        testEngine()->takeWindowState();
        if (!runTicks(1))
            state.SkipWithError("the output thread did not tick");
    }
    benchmark::DoNotOptimize(core.readers.front()->sum());
}
BENCHMARK(BM_LoadTick)->Unit(benchmark::kMicrosecond);

// The chase's show: `rows` steps, speed 0, fades 2 + (r mod 9) tenths, level (31c + 57r)
// mod 256, every channel fading, the whole table as range.
showTimeline::setup chaseShow(int rows)
{
    showTimeline::setup show;
    std::vector<uchar> levels(512);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < 512; ++c)
            levels[size_t(c)] = uchar((31 * c + 57 * r) % 256);
        show.rows.append(0, quint16(2 + r % 9), levels.data(), 512);
    }
    show.playEnd = rows - 1;
    return show;
}

// Laying the show out, on the GUI thread, when chase starts and after every edit.
void BM_ChaseLayout(benchmark::State &state)
{
    const showTimeline::setup show = chaseShow(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(showTimeline::build(show));
}
BENCHMARK(BM_ChaseLayout)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// One chased frame at a time far into the show, on the output thread: locate, then the
// levels, from nothing but the laid-out show.
void BM_ChaseFrame(benchmark::State &state)
{
    const auto line = showTimeline::build(chaseShow(1000));
    qint64 at = 36000000;
    for (auto _ : state) {
        at += 7919;
        benchmark::DoNotOptimize(line->levelsAt(line->locate(at)));
    }
}
BENCHMARK(BM_ChaseFrame)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#include "bench_tick.moc"
