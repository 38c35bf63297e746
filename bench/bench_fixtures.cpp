// Indexing the fixture libraries: every installed QLC+ definition (qlcplus-data), read and
// summarised as the window's index does it in its worker thread; the cost the GUI thread pays
// to start that index; and single reads of each format.
#include "fixturelibrary.h"
#include "oflreader.h"
#include "qxfreader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>

#include <benchmark/benchmark.h>

namespace
{
const QString kQlcFolder = QStringLiteral("/usr/share/qlcplus/fixtures");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An OFL fixture of `channels` effect channels of 16 named ranges, in two modes.
QByteArray oflFixture(int channels)
{
    QByteArray available;
    QByteArray listed;
    for (int c = 0; c < channels; ++c) {
        QByteArray ranges;
        for (int r = 0; r < 16; ++r)
            ranges += QByteArray(r ? "," : "") + "{\"dmxRange\": [" + QByteArray::number(r * 16) +
                      ", " + QByteArray::number(r * 16 + 15) +
                      "], \"type\": \"Effect\", \"effectName\": \"Pattern " +
                      QByteArray::number(r) + "\"}";
        const QByteArray key = "\"Effect " + QByteArray::number(c) + "\"";
        available += (c ? "," : "") + key + ": {\"capabilities\": [" + ranges + "]}";
        listed += (c ? "," : "") + key;
    }
    return "{\"name\": \"Bench\", \"categories\": [\"Laser\"], \"availableChannels\": {" +
           available + "}, \"modes\": [{\"name\": \"a\", \"channels\": [" + listed +
           "]}, {\"name\": \"b\", \"channels\": [" + listed + "]}]}";
}

void BM_indexInstalled(benchmark::State &state)
{
    int loaded = 0;
    int skipped = 0;
    for (auto _ : state) {
        const QVector<fixtureLibrary::entry> found = fixtureLibrary::scan({kQlcFolder});
        loaded = 0;
        for (const fixtureLibrary::entry &entry : found)
            loaded += entry.error.isEmpty() ? 1 : 0;
        skipped = found.size() - loaded;
    }
    state.counters["loaded"] = loaded;
    state.counters["skipped"] = skipped;
}
BENCHMARK(BM_indexInstalled)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the GUI thread pays: start() returns at once; the wait for the result is not timed.
void BM_startIndex(benchmark::State &state)
{
    for (auto _ : state) {
        fixtureLibrary library;
        library.start({kQlcFolder});
        state.PauseTiming();
        QEventLoop loop;
        QObject::connect(&library, &fixtureLibrary::finished, &loop, &QEventLoop::quit);
        loop.exec();
        state.ResumeTiming();
    }
}
// Each iteration waits for a whole index untimed, so a few are enough.
BENCHMARK(BM_startIndex)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(10);

void BM_readQxfLaser(benchmark::State &state)
{
    QByteArray bytes = contents(kQlcFolder + QStringLiteral("/UKing/UKing-ZQ-B370-Laser.qxf"));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(qxfReader::read(buffer));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_readQxfLaser)->Unit(benchmark::kMicrosecond);

void BM_readOfl(benchmark::State &state)
{
    QByteArray bytes = oflFixture(int(state.range(0)));
    for (auto _ : state) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(oflReader::read(buffer, QStringLiteral("Maker")));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_readOfl)->Arg(8)->Arg(64)->Unit(benchmark::kMicrosecond);
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
