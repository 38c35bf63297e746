// Generated fills: one change of a generator's parameter over a 10 000-step range of 64
// channels, as the dialog's live preview makes it (the table put back, the new values
// written, the model reset and settled), and the generator alone.
#include "coretestsupport.h"
#include "effectfill.h"
#include "effectgenerator.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace
{
constexpr int kRows = 10000;
constexpr int kChannels = 64;

void dropMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

QVariantList channelColumns()
{
    QVariantList columns;
    for (int c = 0; c < kChannels; ++c)
        columns << 3 + c;
    return columns;
}

void BM_PreviewChange(benchmark::State &state)
{
    qInstallMessageHandler(dropMessages);
    freshCore(modelCheck::none);
    const QByteArray levels(kChannels, '\x10');
    for (int r = 0; r < kRows; ++r)
        coreModel()->stepsForWriting().append(
            1, 0, reinterpret_cast<const uchar *>(levels.constData()), kChannels);
    coreModel()->setPlayRange(0, kRows - 1);
    QVariantMap params{{"shape", "sine"},
                       {"a", 0},
                       {"cycles", 8},
                       {"spread", 0.25},
                       {"columns", channelColumns()}};
    int b = 100;
    for (auto _ : state) {
        params["b"] = b = b == 255 ? 100 : b + 1;
        benchmark::DoNotOptimize(coreModel()->effects()->preview(params));
    }
    coreModel()->effects()->cancel();
    dropCore();
}
BENCHMARK(BM_PreviewChange)->Unit(benchmark::kMillisecond);

void BM_GenerateOnly(benchmark::State &state)
{
    effectGenerator::params p;
    p.shape = effectGenerator::sine;
    p.cycles = 8;
    p.spread = 0.25;
    for (auto _ : state)
        benchmark::DoNotOptimize(effectGenerator::generate(p, kRows, kChannels, 65535));
}
BENCHMARK(BM_GenerateOnly)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
