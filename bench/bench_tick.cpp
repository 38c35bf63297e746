#include "coretestsupport.h"

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
    long m_sum = 0;

  public slots:
    void levelChanged() { m_sum += m_dim->dimValue(); }
    void rowChanged(int row) { m_sum += row; }

  private:
    dim *m_dim;
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
                         [r = readers.front().get()](uint times) { r->m_sum += times; });
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
    benchmark::DoNotOptimize(core.readers.front()->m_sum);
}
BENCHMARK(BM_FadeTick)->Unit(benchmark::kMicrosecond);

// Every tick loads a row (wrapping, with the 512-level jump on every other one) and then
// runs the fade pass: the most expensive tick there is.
void BM_LoadTick(benchmark::State &state)
{
    playingCore core;
    for (auto _ : state) {
        {
            const auto held = playEngine::lock();
            g_advanceRow = 1;
        }
        if (!runTicks(1))
            state.SkipWithError("the output thread did not tick");
    }
    benchmark::DoNotOptimize(core.readers.front()->m_sum);
}
BENCHMARK(BM_LoadTick)->Unit(benchmark::kMicrosecond);
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
