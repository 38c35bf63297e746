// Save and load of a 10000-row, 512-channel show (about 5 MB), next to a plain read of the
// same file: loading should stay within five times the cost of reading the bytes.
#include "coretestsupport.h"
#include "dmxfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

namespace
{
constexpr int kRows = 10000;
constexpr int kChannels = 512;

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

QTemporaryDir &benchDir()
{
    static QTemporaryDir dir;
    return dir;
}

QUrl showUrl()
{
    return QUrl::fromLocalFile(benchDir().filePath(QStringLiteral("bench.dmx")));
}

void fillTable()
{
    freshCore(modelCheck::none);
    for (int r = 0; r < kRows; ++r) {
        StepRow *row = appendRow(quint16(r), quint16(r % 7));
        for (int c = 3; c < row->size(); ++c)
            (*row)[c] = quint16((r * 31 + c) & 0xff);
    }
}

// An empty table: the one of a new graph.
void clearRows()
{
    freshCore(modelCheck::none);
}

void prepare()
{
    static bool done = false;
    if (done)
        return;
    qInstallMessageHandler(dropMessage);
    fillTable();
    dmxFile files;
    files.saveData(showUrl(), kChannels, 0, kRows - 1, QStringLiteral("Dmx files (*.dmx )"));
    done = true;
}

qint64 showSize()
{
    return QFile(showUrl().toLocalFile()).size();
}

void BM_SaveShow(benchmark::State &state)
{
    prepare();
    fillTable();
    dmxFile files;
    for (auto _ : state) {
        if (!files.saveData(showUrl(), kChannels, 0, kRows - 1,
                            QStringLiteral("Dmx files (*.dmx )")))
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_SaveShow)->Unit(benchmark::kMillisecond);

void BM_LoadShow(benchmark::State &state)
{
    prepare();
    clearRows();
    dmxFile files;
    for (auto _ : state) {
        if (files.loadData(showUrl()) != kChannels)
            state.SkipWithError("load failed");
        state.PauseTiming();
        clearRows();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_LoadShow)->Unit(benchmark::kMillisecond);

void BM_PlainReadAll(benchmark::State &state)
{
    prepare();
    for (auto _ : state) {
        QFile file(showUrl().toLocalFile());
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(file.readAll());
    }
    state.SetBytesProcessed(state.iterations() * showSize());
}
BENCHMARK(BM_PlainReadAll)->Unit(benchmark::kMillisecond);
// What the model's own row layout costs before a byte is read: one zero-filled 515-cell
// block per row. The load cannot get below this.
void BM_RowAllocationOnly(benchmark::State &state)
{
    prepare();
    clearRows();
    for (auto _ : state) {
        QList<StepRow *> &data = coreModel()->m_data;
        data.reserve(kRows);
        for (int r = 0; r < kRows; ++r)
            data.append(new StepRow(coreModel()->m_columns));
        state.PauseTiming();
        clearRows();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RowAllocationOnly)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
